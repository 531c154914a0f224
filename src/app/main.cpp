#include <QApplication>
#include <QMessageBox>

#include "mainwindow.h"
#include "qtservices.h"
#include "questionfile.h"
#include "sheetmodel.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pobelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    pobelo::QtSheetServices platform;
    pobelo::SheetModel model(platform.services());
    pobelo::MainWindow window(model);
    platform.setParentWidget(&window);
    window.show();

    if (!pobelo::cp932DecoderAvailable()) {
        QMessageBox::critical(
            &window, pobelo::text::kCaption,
            QStringLiteral("このプログラムの Qt には Shift-JIS（CP932）の文字コード変換がないため、"
                           "問題ファイル（.moj）を読むことができません。\n"
                           "ICU 付きの Qt をインストールしてください。"));
    }

    // A question file named on the command line is opened as File > 開く would open it.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) model.openFile(arguments.at(1));

    return QApplication::exec();
}
