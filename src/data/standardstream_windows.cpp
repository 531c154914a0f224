// The standard streams of standardstream.h on Windows: a console (whatever its code page) is
// written with WriteConsoleW; files, pipes and devices take UTF-8 bytes.
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "standardstream.h"

namespace pobelo::platform {

qintptr streamHandle(std::FILE* stream) {
    if (!stream) return -1;
    const int descriptor = _fileno(stream);
    // A program started without a console has no handle behind its streams (-2).
    const intptr_t handle = descriptor < 0 ? -1 : _get_osfhandle(descriptor);
    return handle == -2 ? -1 : qintptr(handle);
}

StreamKind streamKind(qintptr handle) {
    const auto h = reinterpret_cast<HANDLE>(handle);
    if (handle == -1 || !h) return StreamKind::Other;
    DWORD mode = 0;
    switch (GetFileType(h)) {
        case FILE_TYPE_CHAR:
            // NUL and the serial ports are character devices too; only a console has a mode.
            return GetConsoleMode(h, &mode) ? StreamKind::Console : StreamKind::Other;
        case FILE_TYPE_DISK:
            return StreamKind::File;
        case FILE_TYPE_PIPE:
            return StreamKind::Pipe;
        default:
            return StreamKind::Other;
    }
}

bool writeConsole(qintptr handle, QStringView text) {
    const auto h = reinterpret_cast<HANDLE>(handle);
    const auto* characters = reinterpret_cast<const wchar_t*>(text.utf16());
    qsizetype written = 0;
    while (written < text.size()) {
        // The console takes a bounded number of characters at a time.
        const DWORD chunk = DWORD(std::min<qsizetype>(text.size() - written, 8192));
        DWORD taken = 0;
        if (!WriteConsoleW(h, characters + written, chunk, &taken, nullptr) || taken == 0)
            return false;
        written += taken;
    }
    return true;
}

}  // namespace pobelo::platform
