#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>

#include "filesystem.h"
#include "fontresolver.h"
#include "localfile.h"
#include "mainwindow.h"
#include "pdfdocument.h"
#include "platformfonts.h"
#include "pobeloconfig.h"
#include "qtservices.h"
#include "questioneditor.h"
#include "questionfile.h"
#include "sheetmodel.h"

namespace {

void describeProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("pobelo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(POBELO_VERSION));
}

// True when the command line asks only for the usage or the version, which are answered on the
// terminal without a window (and without a display).
bool terminalOnly(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-?", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) return true;
        }
    }
    return false;
}

// The usage and the version, and the question file named on the command line.
void setUpParser(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Makes kanji mini-test sheets from Orvane question files (.moj), or from a teacher's\n"
        "own questions in a table (.csv, .tsv), in a window.\n"
        "Home page: " POBELO_HOME_PAGE));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A question file (.moj or .csv) to open at start."),
                                 QStringLiteral("[--print] [FILE]"));
    parser.addOption(QCommandLineOption(
        QStringLiteral("print"),
        QStringLiteral("Opens FILE, lays its first two headings on the sheet and prints it through "
                       "the printer dialog, then ends (the file manager's 印刷).")));
}

}  // namespace

int main(int argc, char* argv[]) {
    pobelo::makeDocumentsReproducible();
    if (terminalOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        describeProgram();
        QCommandLineParser parser;
        setUpParser(parser);
        // Prints the usage or the version and ends the program; a bad option is reported.
        parser.process(app);
        return 0;
    }

    const std::unique_ptr<QTemporaryDir> runtimeDir = pobelo::provideRuntimeDir();
    pobelo::chooseFontEngine();
    QApplication app(argc, argv);
    describeProgram();
    // Lets the desktop match the window to pobelo.desktop (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("pobelo"));
    // Qt's own dialogs (file, print, preview) speak the window's language.
    QTranslator qtTexts;
    for (const QString& dir :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/i18n")}) {
        if (qtTexts.load(QStringLiteral("qtbase_ja"), dir)) {
            QApplication::installTranslator(&qtTexts);
            break;
        }
    }

    // Without a Japanese font nothing on the window or the sheets could be read.
    if (!pobelo::japaneseFontUsable()) {
        std::fprintf(stderr, "pobelo: %s\n",
                     qPrintable(pobelo::noJapaneseFontMessage(pobelo::NoteLanguage::English)));
        return 1;
    }
    // A write past the file-size limit fails with its reason instead of ending the program.
    pobelo::platform::reportFileSizeLimitAsError();

    pobelo::QtSheetServices platform;
    pobelo::SheetModel model(platform.services());
    pobelo::MainWindow window(model);
    platform.setSheetFace([&model] { return model.command1Caption(); });
    platform.setParentWidget(&window);
    platform.describeJobsBy([&model] { return model.documentInfo(); });
    platform.attachModel(model);
    // 印刷 > 用紙, the printer dialog's paper size and a set's paper are one choice, the sheet's.
    // The printer keeps a size its dialog chose; any other choice is handed to the printer.
    pobelo::Paper printerPaper = pobelo::Paper::A4;
    QObject::connect(&window, &pobelo::MainWindow::paperChosen, &window,
                     [&model](pobelo::Paper paper) { model.setPaper(paper); });
    platform.onPaperChosen([&model, &printerPaper](pobelo::Paper paper) {
        printerPaper = paper;
        model.setPaper(paper);
    });
    QObject::connect(&model, &pobelo::SheetModel::changed, &window,
                     [&model, &window, &platform, &printerPaper] {
                         const pobelo::Paper paper = model.sheet().paper;
                         if (paper != printerPaper) platform.setPaper(paper);
                         printerPaper = paper;
                         window.showPaper(paper);
                     });
    // The question editor's dialogs open over it.
    pobelo::QtFileDialog editorFiles;
    pobelo::QtMessageBox editorMessages;
    pobelo::QuestionEditorLauncher editors(window, model, editorFiles, editorMessages);
    editors.parentDialogsTo = [&editorFiles, &editorMessages](QWidget* editor) {
        editorFiles.parent = editor;
        editorMessages.parent = editor;
    };
    window.show();

    if (!pobelo::cp932DecoderAvailable()) {
        QMessageBox::critical(
            &window, pobelo::text::kCaption,
            QStringLiteral("このプログラムの Qt には Shift-JIS（CP932）の文字コード変換がないため、"
                           "問題ファイル（.moj）を読むことができません。\n"
                           "ICU 付きの Qt をインストールしてください。"));
    }

    // The file name as the system gave it; the application took out its own arguments.
    QStringList arguments = pobelo::commandLineArguments(argc, argv);
    const bool printAndEnd = arguments.size() >= 3 && arguments.at(1) == QStringLiteral("--print");
    if (printAndEnd) arguments.removeAt(1);
    pobelo::openFromCommandLine(model, arguments);
    if (printAndEnd) {
        // The file manager's print command: the first sheet of the file (a sheet set's own
        // sheet), then the window closes.
        QTimer::singleShot(0, &window, [&model, &window] {
            const qsizetype headings = model.combo1List().size();
            if (!model.prtEnabled() && headings > 0) {
                pobelo::Sheet sheet = pobelo::Sheet::blank();
                for (int page = 0; page < 2 && page < headings; ++page)
                    sheet.composeHeading(page, page, model.table());
                model.applySet(sheet);
            }
            if (headings > 0) model.printSheet();
            window.close();
        });
    }

    const int status = QApplication::exec();
    // The file manager's print found no printer: it printed nothing, and says so.
    return printAndEnd && platform.printerMissing() ? 1 : status;
}
