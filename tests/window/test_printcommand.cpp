// pobelo.exe --print FILE, as Explorer's 印刷 starts it, on a computer without a printer: the
// program tells the teacher in a message (a modal window over its own) and then ends with a
// failure status, not 0 as if it had printed. (Windows only: the message is found and closed
// through the system's window list.)
#include <windows.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "mojfile.h"
#include "qtservices.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

struct ProcessWindows {
    DWORD process = 0;
    QList<HWND> shown;
};

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<ProcessWindows*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->process && IsWindowVisible(window)) found->shown.append(window);
    return TRUE;
}

QString titleOf(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return QString::fromWCharArray(title);
}

}  // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void printWithoutPrinterFails() {
        if (printerInstalled()) QSKIP("this computer has a printer installed");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("週1.moj"));
        QVERIFY(writeFile(file, threeRecordsBytes()));
        QVERIFY(QFileInfo::exists(QStringLiteral(POBELO_WINDOW_PROGRAM)));

        QProcess program;
        program.start(QStringLiteral(POBELO_WINDOW_PROGRAM), {QStringLiteral("--print"), file});
        QVERIFY(program.waitForStarted());
        // The message is the window that is enabled while the program's window is not.
        QStringList messages;
        QElapsedTimer clock;
        clock.start();
        while (program.state() != QProcess::NotRunning && clock.elapsed() < 120000) {
            ProcessWindows found{DWORD(program.processId()), {}};
            EnumWindows(collect, LPARAM(&found));
            const bool blocked = std::any_of(found.shown.cbegin(), found.shown.cend(),
                                             [](HWND w) { return !IsWindowEnabled(w); });
            for (HWND window : found.shown) {
                if (!blocked || !IsWindowEnabled(window)) continue;
                messages.append(titleOf(window));
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            program.waitForFinished(200);
        }
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            QFAIL("the program did not end");
        }
        QVERIFY2(!messages.isEmpty(), "no message was shown");
        QCOMPARE(messages.first(), text::kCaption);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
    }
};

QTEST_MAIN(TestPrintCommand)
#include "test_printcommand.moc"
