// The platform-neutral part of standardstream.h.
#include "standardstream.h"

namespace pobelo {

TextPath textPathFor(StreamKind kind) {
    return kind == StreamKind::Console ? TextPath::ConsoleCharacters : TextPath::Utf8Bytes;
}

ConsoleDevice::ConsoleDevice(qintptr handle) : handle_(handle) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ConsoleDevice::writeData(const char* data, qint64 size) {
    // The decoder keeps the first bytes of a character split between writes until the rest come.
    const QString text = decoder_.decode(QByteArrayView(data, size));
    if (!text.isEmpty() && !platform::writeConsole(handle_, text)) return -1;
    return size;
}

std::unique_ptr<QIODevice> consoleDeviceFor(std::FILE* stream) {
    const qintptr handle = platform::streamHandle(stream);
    if (handle == -1 || textPathFor(platform::streamKind(handle)) != TextPath::ConsoleCharacters)
        return nullptr;
    return std::make_unique<ConsoleDevice>(handle);
}

}  // namespace pobelo
