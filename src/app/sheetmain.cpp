// pobelo-sheet: the sheet model without a window, driven from the command line.
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "questionfile.h"
#include "sheetscript.h"

int main(int argc, char* argv[]) {
    // Fonts need a GUI application, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pobelo-sheet"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes kanji mini-test sheets from question files."));
    parser.addHelpOption();
    QCommandLineOption scriptOption(
        QStringLiteral("script"),
        QStringLiteral("Runs the actions in FILE ('-' for standard input)."),
        QStringLiteral("FILE"));
    QCommandLineOption traceOption(QStringLiteral("trace"),
                                   QStringLiteral("Writes every print-surface operation to FILE."),
                                   QStringLiteral("FILE"));
    parser.addOption(scriptOption);
    parser.addOption(traceOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    if (!pobelo::cp932DecoderAvailable()) {
        err << "This Qt build cannot decode Windows code page 932; question files cannot be "
               "read.\n";
        return 1;
    }
    if (!parser.isSet(scriptOption)) {
        err << "Nothing to do: give --script FILE (see --help).\n";
        return 2;
    }

    pobelo::SheetSession session;
    QFile traceFile;
    QTextStream traceStream;
    if (parser.isSet(traceOption)) {
        traceFile.setFileName(parser.value(traceOption));
        if (!traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            err << "Cannot write the trace file " << traceFile.fileName() << '\n';
            return 2;
        }
        traceStream.setDevice(&traceFile);
        session.trace().sink = [&traceStream](const QString& line) { traceStream << line << '\n'; };
    }

    QFile scriptFile;
    const QString scriptName = parser.value(scriptOption);
    bool opened = scriptName == QLatin1String("-")
                      ? scriptFile.open(stdin, QIODevice::ReadOnly | QIODevice::Text)
                      : (scriptFile.setFileName(scriptName),
                         scriptFile.open(QIODevice::ReadOnly | QIODevice::Text));
    if (!opened) {
        err << "Cannot read the script " << scriptName << '\n';
        return 2;
    }
    QTextStream in(&scriptFile);
    const int status = pobelo::runScript(in, out, err, session);
    traceStream.flush();
    return status;
}
