// What pobelo-sheet's output goes to decides how its text is written: a Windows console gets the
// characters (on a code-page-932 console UTF-8 would be mojibake), a file, a pipe or a terminal
// on Linux gets UTF-8 bytes. Each kind of stream is opened for real and read back.

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>
#include <cstdio>
#include <functional>

#include "standardstream.h"

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#endif

using namespace pobelo;

namespace {

// Kana, kanji, a circled number and a full-width space: all in code page 932, none in ASCII.
const QString kText = QStringLiteral("見出し 第1回　漢字の読み ①");

// One end of a stream the test writes to, and what arrived at the other.
struct Endpoint {
    qintptr handle = -1;
    std::FILE* stream = nullptr;       // over handle
    std::function<QString()> arrived;  // what reached the other end, as text
    std::function<void()> closeOther;  // closes what the test keeps besides the stream
    ~Endpoint() {
        if (stream) std::fclose(stream);
        if (closeOther) closeOther();
    }
};

#ifdef Q_OS_WIN

std::FILE* streamOver(HANDLE handle) {
    const int descriptor = _open_osfhandle(intptr_t(handle), _O_WRONLY | _O_BINARY);
    return descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
}

// A console of the test's own, on code page 932 as a Japanese Windows has it; null where the
// system gives none (wine without a display).
HANDLE ownConsole() {
    static HANDLE console = [] {
        FreeConsole();
        if (!AllocConsole()) return INVALID_HANDLE_VALUE;
        SetConsoleOutputCP(932);
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

std::unique_ptr<Endpoint> openEndpoint(const QString& name, const QTemporaryDir& dir) {
    auto e = std::make_unique<Endpoint>();
    if (name == QLatin1String("regular file")) {
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_WRITE,
                                     FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        e->handle = qintptr(h);
        e->stream = streamOver(h);
        e->arrived = [path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
    } else if (name == QLatin1String("pipe")) {
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16)) return e;
        e->handle = qintptr(writeEnd);
        e->stream = streamOver(writeEnd);
        e->arrived = [readEnd] {
            QByteArray bytes;
            DWORD waiting = 0;
            while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting) {
                QByteArray chunk(qsizetype(waiting), '\0');
                DWORD n = 0;
                if (!ReadFile(readEnd, chunk.data(), waiting, &n, nullptr) || n == 0) break;
                bytes += chunk.left(n);
            }
            return QString::fromUtf8(bytes);
        };
        e->closeOther = [readEnd] { CloseHandle(readEnd); };
    } else if (name == QLatin1String("null device")) {
        const HANDLE h = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        e->handle = qintptr(h);
        e->stream = streamOver(h);
    } else if (name == QLatin1String("console")) {
        const HANDLE console = ownConsole();
        if (console == INVALID_HANDLE_VALUE) return e;
        // The console outlives the stream: the stream gets a handle of its own.
        const HANDLE own =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        CONSOLE_SCREEN_BUFFER_INFO info;
        GetConsoleScreenBufferInfo(console, &info);
        const COORD from = info.dwCursorPosition;
        e->handle = qintptr(own);
        e->stream = streamOver(own);
        e->arrived = [console, from] {
            CONSOLE_SCREEN_BUFFER_INFO now;
            GetConsoleScreenBufferInfo(console, &now);
            const DWORD count = DWORD((now.dwCursorPosition.Y - from.Y) * now.dwSize.X +
                                      now.dwCursorPosition.X - from.X);
            std::wstring cells(count, L'\0');
            DWORD n = 0;
            ReadConsoleOutputCharacterW(console, cells.data(), count, from, &n);
            return QString::fromWCharArray(cells.data(), int(n));
        };
    }
    return e;
}

#else

std::unique_ptr<Endpoint> openEndpoint(const QString& name, const QTemporaryDir& dir) {
    auto e = std::make_unique<Endpoint>();
    int descriptor = -1;
    if (name == QLatin1String("regular file")) {
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        descriptor =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        e->arrived = [path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
    } else if (name == QLatin1String("pipe")) {
        int ends[2];
        if (::pipe(ends) != 0) return e;
        descriptor = ends[1];
        ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
        const int readEnd = ends[0];
        e->arrived = [readEnd] {
            QByteArray bytes;
            char chunk[4096];
            for (ssize_t n; (n = ::read(readEnd, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
            return QString::fromUtf8(bytes);
        };
        e->closeOther = [readEnd] { ::close(readEnd); };
    } else if (name == QLatin1String("null device")) {
        descriptor = ::open("/dev/null", O_WRONLY);
    } else if (name == QLatin1String("terminal")) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return e;
        descriptor = ::open(::ptsname(master), O_WRONLY | O_NOCTTY);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        e->arrived = [master] {
            QByteArray bytes;
            char chunk[4096];
            for (ssize_t n; (n = ::read(master, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
            return QString::fromUtf8(bytes);
        };
        e->closeOther = [master] { ::close(master); };
    }
    if (descriptor >= 0) {
        e->handle = descriptor;
        e->stream = ::fdopen(descriptor, "w");
    }
    return e;
}

#endif

}  // namespace

class TestStandardStream : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void eachKindOfStream_data() {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<StreamKind>("kind");
        QTest::addColumn<TextPath>("path");
        QTest::newRow("file") << "regular file" << StreamKind::File << TextPath::Utf8Bytes;
        QTest::newRow("pipe") << "pipe" << StreamKind::Pipe << TextPath::Utf8Bytes;
        QTest::newRow("null device") << "null device" << StreamKind::Other << TextPath::Utf8Bytes;
#ifdef Q_OS_WIN
        QTest::newRow("console") << "console" << StreamKind::Console << TextPath::ConsoleCharacters;
#else
        QTest::newRow("terminal") << "terminal" << StreamKind::Terminal << TextPath::Utf8Bytes;
#endif
    }
    // The kind is told from the stream's handle, and the text written as the program writes it
    // (a QTextStream, on the console device where there is one) arrives as it was.
    void eachKindOfStream() {
        QFETCH(QString, endpoint);
        QFETCH(StreamKind, kind);
        QFETCH(TextPath, path);
        QTemporaryDir dir;
        const std::unique_ptr<Endpoint> e = openEndpoint(endpoint, dir);
        if (!e->stream) QSKIP("this system gives the test no such stream");
        QCOMPARE(platform::streamHandle(e->stream), e->handle);
        QCOMPARE(platform::streamKind(e->handle), kind);
        QCOMPARE(textPathFor(kind), path);

        const std::unique_ptr<QIODevice> console = consoleDeviceFor(e->stream);
        QCOMPARE(bool(console), path == TextPath::ConsoleCharacters);
        {
            QTextStream out(e->stream);
            if (console) out.setDevice(console.get());
            out << kText;
            out.flush();
            QCOMPARE(out.status(), QTextStream::Ok);
        }
        QCOMPARE(std::fflush(e->stream), 0);
        if (e->arrived) QCOMPARE(e->arrived(), kText);
    }

    // Nothing is known of a stream that is not there.
    void noStream() {
        QCOMPARE(platform::streamHandle(nullptr), qintptr(-1));
        QCOMPARE(platform::streamKind(-1), StreamKind::Other);
    }

    // A character whose UTF-8 bytes come in separate writes reaches the console once, whole.
    void charactersSplitBetweenWrites() {
        QTemporaryDir dir;
#ifdef Q_OS_WIN
        const std::unique_ptr<Endpoint> e = openEndpoint(QStringLiteral("console"), dir);
#else
        // Linux has no console: the device's writes go out as UTF-8 again.
        const std::unique_ptr<Endpoint> e = openEndpoint(QStringLiteral("pipe"), dir);
#endif
        if (!e->stream) QSKIP("this system gives the test no console");
        ConsoleDevice device(e->handle);
        const QByteArray bytes = kText.toUtf8();
        for (const char c : bytes) QCOMPARE(device.write(&c, 1), qint64(1));
        QCOMPARE(e->arrived(), kText);
    }
};

QTEST_GUILESS_MAIN(TestStandardStream)
#include "test_standardstream.moc"
