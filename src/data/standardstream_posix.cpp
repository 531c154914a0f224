// The standard streams of standardstream.h on Linux and the BSDs: a terminal takes UTF-8, so no
// stream wants characters, and the console call writes the UTF-8 bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "standardstream.h"

namespace pobelo::platform {

qintptr streamHandle(std::FILE* stream) {
    return stream ? ::fileno(stream) : -1;
}

StreamKind streamKind(qintptr handle) {
    struct stat info;
    if (handle < 0 || ::fstat(int(handle), &info) != 0) return StreamKind::Other;
    if (::isatty(int(handle))) return StreamKind::Terminal;
    if (S_ISREG(info.st_mode)) return StreamKind::File;
    if (S_ISFIFO(info.st_mode)) return StreamKind::Pipe;
    return StreamKind::Other;
}

bool writeConsole(qintptr handle, QStringView text) {
    const QByteArray bytes = text.toUtf8();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(int(handle), bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += n;
    }
    return true;
}

}  // namespace pobelo::platform
