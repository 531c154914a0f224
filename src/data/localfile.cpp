#include "localfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStringDecoder>
#include <QTemporaryDir>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "utf8.h"

namespace pobelo {

namespace {

constexpr char16_t kKeptByteBase = 0xDC00;
constexpr qsizetype kBufferBytes = 64 * 1024;

bool isKeptByte(char16_t c) {
    return c >= kKeptByteBase + 0x80 && c <= kKeptByteBase + 0xFF;
}

bool statPath(const QString& path, struct stat* info) {
    const QByteArray bytes = localPathBytes(path);
    return !bytes.isEmpty() && ::stat(bytes.constData(), info) == 0;
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString localPathFromBytes(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int length = utf8SequenceLength(p + i, n - i);
        if (length <= 0) {
            // A byte that starts no whole UTF-8 character is kept as itself.
            out.append(QChar(char16_t(kKeptByteBase + p[i])));
            ++i;
            continue;
        }
        out.append(QString::fromUtf8(reinterpret_cast<const char*>(p + i), length));
        i += length;
    }
    return out;
}

QByteArray localPathBytes(const QString& path) {
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path[i].unicode())) continue;
        out += QStringView(path).sliced(start, i - start).toUtf8();
        out += char(path[i].unicode() - kKeptByteBase);
        start = i + 1;
    }
    out += QStringView(path).sliced(start).toUtf8();
    return out;
}

QString displayPath(const QString& path) {
    QString out;
    QByteArray kept;
    auto showKept = [&] {
        if (kept.isEmpty()) return;
        QStringDecoder cp932("windows-31j");
        const QString text = cp932.isValid() ? cp932.decode(kept) : QString();
        out += cp932.isValid() && !cp932.hasError() && !text.contains(QChar(0x1A))
                   ? text
                   : QString(kept.size(), QChar(0xFFFD));
        kept.clear();
    };
    for (QChar c : path) {
        if (isKeptByte(c.unicode())) {
            kept += char(c.unicode() - kKeptByteBase);
            continue;
        }
        showKept();
        out += c;
    }
    showKept();
    return out;
}

QString displayFileName(const QString& path) {
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/'))) name.chop(1);
    return displayPath(name.mid(name.lastIndexOf(QLatin1Char('/')) + 1));
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return statPath(a, &first) && statPath(b, &second) && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::unique_ptr<QTemporaryDir> provideRuntimeDir() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return nullptr;
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) return nullptr;
    // The folder is the user's alone (0700), as Qt asks of a runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    return dir;
}

// --- AtomicFile ----------------------------------------------------------------------------------

AtomicFile::AtomicFile(const QString& path) : path_(path) {}

AtomicFile::~AtomicFile() {
    abandon();
}

void AtomicFile::addInput(const QString& path, const QString& what) {
    if (!path.isEmpty()) inputs_.append({path, what});
}

bool AtomicFile::fail(Problem problem, int osError, const QString& reason) {
    discard();
    problem_ = problem;
    osError_ = osError;
    setErrorString(reason);
    return false;
}

bool AtomicFile::failSystem(int osError) {
    return fail(Problem::System, osError, systemReason(osError));
}

bool AtomicFile::targetReplaceable() {
    struct stat info {};
    if (::stat(target_.constData(), &info) != 0) {
        if (errno == ENOENT) return true;
        return failSystem(errno);
    }
    if (S_ISDIR(info.st_mode))
        return fail(Problem::NotRegular, EISDIR, QStringLiteral("it is a folder"));
    if (!S_ISREG(info.st_mode)) {
        return fail(Problem::NotRegular, 0,
                    QStringLiteral("it is not a regular file (a pipe, device or socket) and is "
                                   "not replaced"));
    }
    for (const auto& [input, what] : inputs_) {
        struct stat other {};
        if (statPath(input, &other) && other.st_dev == info.st_dev && other.st_ino == info.st_ino) {
            return fail(Problem::IsInput, 0,
                        QStringLiteral("it is %1 %2, which is never written")
                            .arg(what, displayPath(input)));
        }
    }
    return true;
}

bool AtomicFile::checkTarget() {
    abandon();
    problem_ = Problem::None;
    osError_ = 0;
    written_ = 0;
    setErrorString(QString());
    target_ = localPathBytes(path_);
    if (target_.isEmpty()) return failSystem(ENOENT);
    // A link is followed: the file it names is replaced, and the link stays.
    if (char* resolved = ::realpath(target_.constData(), nullptr)) {
        target_ = resolved;
        std::free(resolved);
    }
    return targetReplaceable();
}

bool AtomicFile::begin() {
    if (!checkTarget()) return false;

    mode_t mode = 0;
    struct stat info {};
    if (::stat(target_.constData(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const qsizetype slash = target_.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target_.left(slash + (slash == 0));
    QByteArray name = folder + "/.pobelo-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return failSystem(errno);
    fd_ = fd;
    temporary_ = name;
    if (::fchmod(fd_, mode) != 0) return failSystem(errno);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

qint64 AtomicFile::writeData(const char* data, qint64 size) {
    if (fd_ < 0) return -1;
    buffer_.append(data, size);
    if (buffer_.size() >= kBufferBytes && !flushBuffer()) return -1;
    return size;
}

bool AtomicFile::flushBuffer() {
    const char* p = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return failSystem(errno);
        }
        p += n;
        left -= n;
        written_ += n;
    }
    buffer_.clear();
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0) {
        if (problem_ == Problem::None) fail(Problem::System, EBADF, QStringLiteral("not begun"));
        return false;
    }
    if (!flushBuffer()) return false;
    if (::fsync(fd_) != 0) return failSystem(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failSystem(errno);
    // The target may have changed since begin: look again right before replacing it.
    if (!targetReplaceable()) return false;
    if (::rename(temporary_.constData(), target_.constData()) != 0) return failSystem(errno);
    temporary_.clear();
    // The new name reaches the disk with the folder.
    const qsizetype slash = target_.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target_.left(slash + (slash == 0));
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    QIODevice::close();
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty()) ::unlink(temporary_.constData());
    temporary_.clear();
    buffer_.clear();
    if (isOpen()) QIODevice::close();
}

void AtomicFile::abandon() {
    discard();
}

}  // namespace pobelo
