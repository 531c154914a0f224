// pobelo-sheet: the sheet model without a window, driven from the command line. Teachers list a
// question file's headings and print sheets to PDF; a script drives the model action by action.
// Every mode is a scripted session over the same model as the window; SheetCommand does the work,
// this only sets up the application around it.
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "filesystem.h"
#include "localfile.h"
#include "pdfdocument.h"
#include "platformfonts.h"
#include "pobeloconfig.h"
#include "sheetcommand.h"
#include "standardstream.h"

namespace {

// Installs the translations of this program's messages and of Qt's own (the usage's headings
// and the option parser's errors) for the user's locale.
void translateMessages(QCoreApplication& app) {
    const QLocale locale;
    static QTranslator qtTexts;
    // Qt's where Qt keeps them, or (on Windows) inside the program.
    for (const QString& dir :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/i18n")}) {
        if (qtTexts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
            app.installTranslator(&qtTexts);
            break;
        }
    }
    // Installed under share/pobelo/translations; in the build tree beside the program; on
    // Windows inside it.
    const QDir programDir(QCoreApplication::applicationDirPath());
    static QTranslator ownTexts;
    for (const QString& dir :
         {programDir.filePath(QStringLiteral("../share/pobelo/translations")),
          programDir.filePath(QStringLiteral("translations")), QStringLiteral(":/i18n")}) {
        if (ownTexts.load(locale, QStringLiteral("pobelo-sheet"), QStringLiteral("_"), dir)) {
            app.installTranslator(&ownTexts);
            break;
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    pobelo::makeDocumentsReproducible();
    QStringList systemArguments;
    for (int i = 0; i < argc; ++i) systemArguments.append(QString::fromLocal8Bit(argv[i]));
    // Declared first, so that the runtime folder outlives the application.
    std::unique_ptr<QTemporaryDir> runtimeDir;
    std::unique_ptr<QCoreApplication> app;
    if (pobelo::SheetCommand::listsOnly(systemArguments)) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        // Fonts need a GUI application, never a display, whatever the desktop asked for. On
        // Windows the system's own platform needs none, and only it knows the system's fonts.
#ifdef Q_OS_WIN
        qunsetenv("QT_QPA_PLATFORM");
        pobelo::chooseFontEngine();
#else
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        runtimeDir = pobelo::provideRuntimeDir();
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("pobelo-sheet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(POBELO_VERSION));
    translateMessages(*app);
    // File names are taken as the system gave them (on Linux as bytes: Qt's own list loses those
    // that are not UTF-8); the application has taken out the arguments that were its own.
    const QStringList arguments = pobelo::commandLineArguments(argc, argv);

    // A write past the file-size limit fails with its reason instead of ending the program.
    pobelo::platform::reportFileSizeLimitAsError();
    // A Windows console gets characters, whatever its code page; a file or a pipe gets UTF-8.
    // (Declared before the streams, which they outlive.)
    const std::unique_ptr<QIODevice> outConsole = pobelo::consoleDeviceFor(stdout);
    const std::unique_ptr<QIODevice> errConsole = pobelo::consoleDeviceFor(stderr);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (outConsole) out.setDevice(outConsole.get());
    if (errConsole) err.setDevice(errConsole.get());
    int status = pobelo::SheetCommand(out, err).run(arguments);
    // What could not be written to standard output (a full disk, a closed pipe) is a failure.
    out.flush();
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        err << "pobelo-sheet: cannot write to standard output\n";
        if (status == pobelo::kExitDone) status = pobelo::kExitFileProblem;
    }
    return status;
}
