#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTranslator>

#include "localfile.h"
#include "mainwindow.h"
#include "pobeloconfig.h"
#include "qtservices.h"
#include "questionfile.h"
#include "sheetmodel.h"

int main(int argc, char* argv[]) {
    const std::unique_ptr<QTemporaryDir> runtimeDir = pobelo::provideRuntimeDir();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pobelo"));
    // Lets the desktop match the window to pobelo.desktop (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("pobelo"));
    QApplication::setApplicationVersion(QStringLiteral(POBELO_VERSION));
    // Qt's own dialogs (file, print, preview) speak the window's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    pobelo::QtSheetServices platform;
    pobelo::SheetModel model(platform.services());
    pobelo::MainWindow window(model);
    platform.setSheetFace([&model] { return model.command1Caption(); });
    platform.setParentWidget(&window);
    platform.setQuestionFile([&model] { return model.questionFileName(); });
    window.show();

    if (!pobelo::cp932DecoderAvailable()) {
        QMessageBox::critical(
            &window, pobelo::text::kCaption,
            QStringLiteral("このプログラムの Qt には Shift-JIS（CP932）の文字コード変換がないため、"
                           "問題ファイル（.moj）を読むことができません。\n"
                           "ICU 付きの Qt をインストールしてください。"));
    }

    // The file name as the bytes the system gave; the application took out its own arguments.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(pobelo::localPathFromBytes(argv[i]));
    pobelo::openFromCommandLine(model, arguments);

    return QApplication::exec();
}
