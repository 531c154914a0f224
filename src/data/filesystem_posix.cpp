// The file operations of filesystem.h on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMutex>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "filesystem.h"
#include "localfile.h"

namespace pobelo {

namespace {

// --- Temporary files removed on a fatal signal ---
// A fixed list that the handler can read without locks or allocation: a name is copied in first,
// and only then is its slot marked used.
constexpr int kSlots = 16;
char g_names[kSlots][PATH_MAX];
volatile std::sig_atomic_t g_used[kSlots];
std::atomic<bool> g_handlersInstalled{false};
constexpr std::array<int, 4> kFatalSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void removeTemporariesAndDie(int signal) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) ::unlink(g_names[i]);
    }
    // Dies of the same signal, as it would have without the handler.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void installHandlers() {
    if (g_handlersInstalled.exchange(true)) return;
    for (int signal : kFatalSignals) {
        struct sigaction current {};
        // A signal the process was told to ignore (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        for (int other : kFatalSignals) sigaddset(&action.sa_mask, other);
        ::sigaction(signal, &action, nullptr);
    }
}

QMutex g_slotLock;

int takeSlot(const QByteArray& path) {
    installHandlers();
    if (path.size() >= PATH_MAX) return -1;
    QMutexLocker lock(&g_slotLock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) continue;
        std::memcpy(g_names[i], path.constData(), size_t(path.size()) + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        g_used[i] = 1;
        return i;
    }
    return -1;
}

void freeSlot(int& slot) {
    if (slot < 0) return;
    g_used[slot] = 0;
    slot = -1;
}

// Whether a test made this call fail, with errno set.
bool injected(platform::Call call) {
    const int error = platform::injectedFailure(call);
    if (error == 0) return false;
    errno = error;
    return true;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return path.left(slash == 0 ? 1 : slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// A name made of a folder in canonical form and the name in it.
QByteArray canonicalFolderPath(const QByteArray& path) {
    const QByteArray name = nameOf(path);
    if (name.isEmpty() || name == "." || name == "..") {
        char* resolved = ::realpath(path.constData(), nullptr);
        if (!resolved) return path;
        QByteArray out(resolved);
        std::free(resolved);
        return out;
    }
    char* folder = ::realpath(folderOf(path).constData(), nullptr);
    if (!folder) return path;
    QByteArray out(folder);
    std::free(folder);
    if (!out.endsWith('/')) out += '/';
    return out + name;
}

}  // namespace

// --- Identity ------------------------------------------------------------------------------------

std::optional<FileIdentity> fileIdentity(const QString& path) {
    const platform::Target target = platform::resolveTarget(path);
    if (target.path.isEmpty() || target.error != 0) return std::nullopt;
    struct stat info {};
    if (::stat(target.path.constData(), &info) == 0)
        return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), {}};
    if (errno != ENOENT) return std::nullopt;
    if (::stat(folderOf(target.path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), nameOf(target.path)};
}

FileKind fileKind(const QString& path) {
    return platform::resolveTarget(path).kind;
}

bool openForReading(QFile& file, const QString& path) {
    const QByteArray name = localPathBytes(path);
    const int fd = name.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    if (file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFile::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

OpenResult openRegularForReading(QFile& file, const QString& path) {
    const QByteArray name = localPathBytes(path);
    if (name.isEmpty()) return OpenResult::Missing;
    // Not blocking on a pipe: a folder, a device or a pipe is no question file.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return regular ? OpenResult::Failed : OpenResult::NotRegular;
    }
    return OpenResult::Opened;
}

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(localPathFromBytes(argv[i]));
    return arguments;
}

namespace platform {

Target resolveTarget(const QString& path) {
    Target target;
    QByteArray p = localPathBytes(path);
    if (p.isEmpty()) {
        target.error = ENOENT;
        return target;
    }
    // Links are followed one by one, so that one pointing nowhere still gives the name it points
    // to: that name is then made, as an editor saving through the link would.
    constexpr int kMaxLinks = 40;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(p.constData(), &info) != 0) {
            if (errno != ENOENT) target.error = errno;
            target.kind = TargetKind::Missing;
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.kind = S_ISREG(info.st_mode)   ? TargetKind::Regular
                          : S_ISDIR(info.st_mode) ? TargetKind::Folder
                                                  : TargetKind::Other;
            break;
        }
        if (hops == kMaxLinks) {
            target.error = ELOOP;
            break;
        }
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(p.constData(), link.data(), size_t(link.size()));
        if (n < 0 || n >= link.size()) {
            target.error = n < 0 ? errno : ENAMETOOLONG;
            break;
        }
        link.truncate(n);
        p = link.startsWith('/') ? link : folderOf(p) + '/' + link;
    }
    target.path = canonicalFolderPath(p);
    return target;
}

int createTemporary(const QByteArray& target, TemporaryFile* file) {
    mode_t mode = 0;
    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing) {
        mode = old.st_mode & 0777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    QByteArray name = folderOf(target) + "/.pobelo-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    file->handle = fd;
    file->path = name;
    file->slot = takeSlot(name);
    // The owner first: a change of owner may clear permission bits.
    if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not allowed to give it away: the group at least, where the process is a member.
            (void)::fchown(fd, uid_t(-1), old.st_gid);
        }
    }
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        removeTemporary(*file);
        return error;
    }
    return 0;
}

int writeAll(TemporaryFile& file, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n =
            injected(Call::Write) ? -1 : ::write(int(file.handle), data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

int syncAndClose(TemporaryFile& file) {
    const int fd = int(file.handle);
    file.handle = -1;
    int error = 0;
    if (injected(Call::Sync) || ::fsync(fd) != 0) error = errno;
    if (injected(Call::Close)) {
        const int injectedError = errno;
        ::close(fd);
        return error != 0 ? error : injectedError;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

void removeTemporary(TemporaryFile& file) {
    if (file.handle >= 0) ::close(int(file.handle));
    file.handle = -1;
    if (!file.path.isEmpty()) ::unlink(file.path.constData());
    file.path.clear();
    freeSlot(file.slot);
}

int replaceWith(TemporaryFile& file, const QByteArray& target) {
    if (injected(Call::Rename) || ::rename(file.path.constData(), target.constData()) != 0)
        return errno;
    file.path.clear();
    freeSlot(file.slot);
    return 0;
}

QByteArray keepAside(const QByteArray& target) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray name = folderOf(target) + "/.pobelo-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return {};
        ::close(fd);
        ::unlink(name.constData());
        if (::link(target.constData(), name.constData()) == 0) {
            // A kept name is removed on a fatal signal like a temporary file; the slot is found
            // again by name when it is removed.
            takeSlot(name);
            return name;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

namespace {
void forgetSlotOf(const QByteArray& name) {
    QMutexLocker lock(&g_slotLock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] && std::strcmp(g_names[i], name.constData()) == 0) g_used[i] = 0;
    }
}
}  // namespace

int restore(const QByteArray& kept, const QByteArray& target) {
    const int result = ::rename(kept.constData(), target.constData()) == 0 ? 0 : errno;
    if (result == 0) forgetSlotOf(kept);
    return result;
}

void removeKept(const QByteArray& kept) {
    if (kept.isEmpty()) return;
    ::unlink(kept.constData());
    forgetSlotOf(kept);
}

void syncFolder(const QByteArray& target) {
    const int dir = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

ErrorKind errorKind(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return ErrorKind::NoSpace;
        case EACCES:
        case EPERM:
            return ErrorKind::NoPermission;
        case EROFS:
            return ErrorKind::ReadOnly;
        case ENOENT:
        case ENOTDIR:
            return ErrorKind::NoFolder;
        case ENAMETOOLONG:
            return ErrorKind::NameTooLong;
        case EFBIG:
            return ErrorKind::TooLarge;
        default:
            return ErrorKind::Other;
    }
}

int tooLargeError() {
    return EFBIG;
}

void reportFileSizeLimitAsError() {
    ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace platform

}  // namespace pobelo
