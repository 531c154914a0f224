// The file operations of filesystem.h on Windows. Names are handed to the system as UTF-16; the
// byte names of the interface are UTF-8 here.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <array>

#include "filesystem.h"
#include "localfile.h"

namespace pobelo {

namespace {

std::wstring wide(const QByteArray& utf8) {
    return QDir::toNativeSeparators(QString::fromUtf8(utf8)).toStdWString();
}

std::wstring wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// --- Temporary files removed when the console is interrupted or closed ---
constexpr int kSlots = 16;
wchar_t g_names[kSlots][MAX_PATH * 2];
volatile LONG g_used[kSlots];
QMutex g_slotLock;

BOOL WINAPI removeTemporariesOnExit(DWORD) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) DeleteFileW(g_names[i]);
    }
    return FALSE;  // the system's own handling goes on: the process ends
}

int takeSlot(const QByteArray& path) {
    static const bool installed = SetConsoleCtrlHandler(removeTemporariesOnExit, TRUE);
    (void)installed;
    const std::wstring name = wide(path);
    if (name.size() + 1 > std::size(g_names[0])) return -1;
    QMutexLocker lock(&g_slotLock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) continue;
        wcscpy(g_names[i], name.c_str());
        InterlockedExchange(&g_used[i], 1);
        return i;
    }
    return -1;
}

void freeSlot(int& slot) {
    if (slot < 0) return;
    InterlockedExchange(&g_used[slot], 0);
    slot = -1;
}

void forgetSlotOf(const QByteArray& path) {
    const std::wstring name = wide(path);
    QMutexLocker lock(&g_slotLock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] && name == g_names[i]) InterlockedExchange(&g_used[i], 0);
    }
}

// Whether a test made this call fail, with the system's last error set.
bool injected(platform::Call call) {
    const int error = platform::injectedFailure(call);
    if (error == 0) return false;
    SetLastError(DWORD(error));
    return true;
}

int lastError() {
    return int(GetLastError());
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArrayLiteral(".")
                     : path.left(slash == 2 && path.at(1) == ':' ? 3 : slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// An open handle on what path names (a file or a folder), for its identity; nothing may be kept
// from the file meanwhile.
HANDLE openForIdentity(const std::wstring& path) {
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::optional<FileIdentity> identityOf(const std::wstring& path, const QByteArray& name) {
    HANDLE handle = openForIdentity(path);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!ok) return std::nullopt;
    return FileIdentity{quint64(info.dwVolumeSerialNumber),
                        (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, name};
}

}  // namespace

// --- Identity ------------------------------------------------------------------------------------

std::optional<FileIdentity> fileIdentity(const QString& path) {
    const platform::Target target = platform::resolveTarget(path);
    if (target.path.isEmpty() || target.error != 0) return std::nullopt;
    if (target.kind != FileKind::Missing) return identityOf(wide(target.path), {});
    // Windows' names are the same whatever their case: "O.pdf" is "o.pdf".
    const QByteArray name = QString::fromUtf8(nameOf(target.path)).toCaseFolded().toUtf8();
    const std::optional<FileIdentity> folder = identityOf(wide(folderOf(target.path)), {});
    if (!folder) return std::nullopt;
    return FileIdentity{folder->volume, folder->index, name};
}

FileKind fileKind(const QString& path) {
    return platform::resolveTarget(path).kind;
}

namespace {

// Opens path for reading, shared for reading, writing and deleting (the drill program may save
// the file meanwhile); the handle's descriptor, or -1 with the reason in error.
int openShared(const QString& path, DWORD* error, bool regularOnly) {
    HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (regularOnly &&
        (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        *error = ERROR_BAD_FILE_TYPE;
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        *error = ERROR_TOO_MANY_OPEN_FILES;
    }
    return fd;
}

}  // namespace

bool openForReading(QFile& file, const QString& path) {
    DWORD error = 0;
    const int fd = path.isEmpty() ? -1 : openShared(path, &error, false);
    if (fd < 0) return false;
    if (file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFile::AutoCloseHandle))
        return true;
    _close(fd);
    return false;
}

OpenResult openRegularForReading(QFile& file, const QString& path) {
    if (path.isEmpty()) return OpenResult::Missing;
    DWORD error = 0;
    const int fd = openShared(path, &error, true);
    if (fd < 0) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH)
            return OpenResult::Missing;
        return error == ERROR_BAD_FILE_TYPE || error == ERROR_ACCESS_DENIED
                   ? (QFileInfo(path).isDir() ? OpenResult::NotRegular : OpenResult::Failed)
                   : OpenResult::Failed;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}

QStringList commandLineArguments(int, char**) {
    // argv holds the arguments in the ANSI code page; Qt reads the system's UTF-16 command line.
    return QCoreApplication::arguments();
}

namespace platform {

Target resolveTarget(const QString& path) {
    Target target;
    if (path.isEmpty()) {
        target.error = ERROR_FILE_NOT_FOUND;
        return target;
    }
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // A link is written through to the file it names, as an editor saving through it would.
    const QString resolved = QFileInfo(absolute).isSymLink()
                                 ? QDir::cleanPath(QFileInfo(absolute).symLinkTarget())
                                 : absolute;
    target.path = resolved.toUtf8();
    const DWORD attributes = GetFileAttributesW(wide(resolved).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) target.error = int(error);
        target.kind = TargetKind::Missing;
        return target;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        target.kind = TargetKind::Folder;
    } else {
        HANDLE handle = openForIdentity(wide(resolved));
        const DWORD type = handle == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : GetFileType(handle);
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        target.kind = type == FILE_TYPE_DISK ? TargetKind::Regular : TargetKind::Other;
    }
    return target;
}

int createTemporary(const QByteArray& target, TemporaryFile* file) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = folderOf(target) + "/.pobelo-" +
                                QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                ".tmp";
        HANDLE handle = CreateFileW(wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return lastError();
        }
        file->handle = reinterpret_cast<qintptr>(handle);
        file->path = name;
        file->slot = takeSlot(name);
        return 0;
    }
    return ERROR_FILE_EXISTS;
}

int writeAll(TemporaryFile& file, const char* data, qint64 size) {
    HANDLE handle = reinterpret_cast<HANDLE>(file.handle);
    while (size > 0) {
        const DWORD chunk = DWORD(std::min<qint64>(size, 1 << 30));
        DWORD written = 0;
        if (injected(Call::Write) || !WriteFile(handle, data, chunk, &written, nullptr))
            return lastError();
        data += written;
        size -= written;
    }
    return 0;
}

int syncAndClose(TemporaryFile& file) {
    HANDLE handle = reinterpret_cast<HANDLE>(file.handle);
    file.handle = -1;
    int error = 0;
    if (injected(Call::Sync) || !FlushFileBuffers(handle)) error = lastError();
    if (injected(Call::Close)) {
        const int injectedError = lastError();
        CloseHandle(handle);
        return error != 0 ? error : injectedError;
    }
    if (!CloseHandle(handle) && error == 0) error = lastError();
    return error;
}

void removeTemporary(TemporaryFile& file) {
    if (file.handle != -1) CloseHandle(reinterpret_cast<HANDLE>(file.handle));
    file.handle = -1;
    if (!file.path.isEmpty()) DeleteFileW(wide(file.path).c_str());
    file.path.clear();
    freeSlot(file.slot);
}

int replaceWith(TemporaryFile& file, const QByteArray& target) {
    if (injected(Call::Rename) || !MoveFileExW(wide(file.path).c_str(), wide(target).c_str(),
                                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    file.path.clear();
    freeSlot(file.slot);
    return 0;
}

QByteArray keepAside(const QByteArray& target) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QByteArray name = folderOf(target) + "/.pobelo-" +
                                QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                ".old";
        if (CreateHardLinkW(wide(name).c_str(), wide(target).c_str(), nullptr)) {
            takeSlot(name);
            return name;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

int restore(const QByteArray& kept, const QByteArray& target) {
    if (!MoveFileExW(wide(kept).c_str(), wide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    forgetSlotOf(kept);
    return 0;
}

void removeKept(const QByteArray& kept) {
    if (kept.isEmpty()) return;
    DeleteFileW(wide(kept).c_str());
    forgetSlotOf(kept);
}

// A rename made with MOVEFILE_WRITE_THROUGH is on the disk when it returns.
void syncFolder(const QByteArray&) {}

QString errorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString out = length ? QString::fromWCharArray(text, int(length)).trimmed()
                         : QStringLiteral("error %1").arg(error);
    if (text) LocalFree(text);
    return out;
}

ErrorKind errorKind(int error) {
    switch (DWORD(error)) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ErrorKind::NoSpace;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return ErrorKind::NoPermission;
        case ERROR_WRITE_PROTECT:
            return ErrorKind::ReadOnly;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_BAD_NETPATH:
            return ErrorKind::NoFolder;
        case ERROR_FILENAME_EXCED_RANGE:
            return ErrorKind::NameTooLong;
        case ERROR_FILE_TOO_LARGE:
            return ErrorKind::TooLarge;
        default:
            return ErrorKind::Other;
    }
}

int tooLargeError() {
    return ERROR_FILE_TOO_LARGE;
}

// Windows has no file size limit signal.
void reportFileSizeLimitAsError() {}

}  // namespace platform

}  // namespace pobelo
