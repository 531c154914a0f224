#pragma once

// Text for standard output and standard error. Pobelo writes UTF-8; a Windows console shows the
// bytes it is given in its own code page (932 on a Japanese Windows), where UTF-8 is mojibake.
// So text for a console goes to it as characters, through the console's own call, and text for
// anything else (a file, a pipe, a terminal on Linux) as UTF-8 bytes. The system's calls are in
// standardstream_posix.cpp and standardstream_windows.cpp.

#include <QIODevice>
#include <QStringDecoder>
#include <QStringView>
#include <QtGlobal>
#include <cstdio>
#include <memory>

namespace pobelo {

// What a stream is connected to.
enum class StreamKind {
    Console,   // a Windows console
    Terminal,  // a terminal of a Unix system, which takes UTF-8
    File,
    Pipe,
    Other,  // a device (NUL, /dev/null), a socket, or a closed stream
};

// How text is written to a stream.
enum class TextPath {
    Utf8Bytes,          // the bytes of its UTF-8
    ConsoleCharacters,  // its characters, through the console's own call
};

TextPath textPathFor(StreamKind kind);

namespace platform {

// The system's handle of an open C stream (its file descriptor; on Windows its HANDLE), or -1.
qintptr streamHandle(std::FILE* stream);
// What handle is connected to.
StreamKind streamKind(qintptr handle);
// Writes text to the console handle is; false when the console did not take all of it.
bool writeConsole(qintptr handle, QStringView text);

}  // namespace platform

// A write-only device that hands the UTF-8 written to it (as QTextStream writes it) to a console
// as characters. A character whose bytes are split between two writes is written once whole.
class ConsoleDevice : public QIODevice {
  public:
    explicit ConsoleDevice(qintptr handle);
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

  private:
    qintptr handle_;
    QStringDecoder decoder_{QStringDecoder::Utf8};
};

// The device to put under a QTextStream that writes to stream when the stream wants characters
// (a Windows console); nothing when it takes UTF-8 bytes, and the stream is written as it is.
std::unique_ptr<QIODevice> consoleDeviceFor(std::FILE* stream);

}  // namespace pobelo
