#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "localsystem.h"

namespace pobelo {

ReadOpen openRegularFileForReading(const QString& path, QFile& file) {
    if (path.isEmpty()) return ReadOpen::NotFound;
    const QString native = QDir::toNativeSeparators(path);
    // Shared for reading, writing and deleting: the drill program may save the file meanwhile.
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH
                   ? ReadOpen::NotFound
                   : ReadOpen::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return ReadOpen::Failed;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return ReadOpen::Failed;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return ReadOpen::Failed;
    }
    return ReadOpen::Opened;
}

QStringList commandLineArguments(int, char**) {
    // argv holds the arguments in the ANSI code page; Qt reads the system's UTF-16 command line.
    return QCoreApplication::arguments();
}

}  // namespace pobelo
