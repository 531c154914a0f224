#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "localfile.h"
#include "localsystem.h"

namespace pobelo {

ReadOpen openRegularFileForReading(const QString& path, QFile& file) {
    const QByteArray name = localPathBytes(path);
    if (name.isEmpty()) return ReadOpen::NotFound;
    // Not blocking on a pipe: a folder, a device or a pipe is no question file.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadOpen::NotFound : ReadOpen::Failed;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return ReadOpen::Failed;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadOpen::Failed;
    }
    return ReadOpen::Opened;
}

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(localPathFromBytes(argv[i]));
    return arguments;
}

}  // namespace pobelo
