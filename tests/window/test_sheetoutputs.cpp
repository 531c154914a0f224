// The other ways out of the window (print preview, PDF file) and the other ways in (a dropped
// file, the command line): each must come to exactly what the print and open commands do.
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow.h"
#include "modal.h"
#include "mojfile.h"
#include "paintersurface.h"
#include "qtservices.h"
#include "questionfile.h"
#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// The window over a model whose print surface is a recording tee onto the real painter surface.
// The program's printer writes a PDF file instead of going to a print queue.
struct Outputs {
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    PainterSurface painter{&printer};
    RecordingSurface trace{&painter};
    ScriptedFileDialog files;
    ScriptedFontDialog fonts;
    ScriptedPrinterDialog printerDialog;
    ScriptedMessageBox messages;
    ScriptedBrowserOpener browser;
    QtSheetPreview preview{printer, painter};
    QtPdfExport pdf{painter};
    SheetModel model{
        SheetServices{&files, &fonts, &printerDialog, &trace, &messages, &browser, &preview, &pdf}};
    MainWindow window{model};

    Outputs() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printedPdf());
        preview.parent = &window;
        window.show();
    }
    bool backOnThePrinter() const { return painter.device() == &printer; }
    QString printedPdf() const { return dir.filePath(QStringLiteral("printed.pdf")); }
    QAction* action(const char* name) const { return window.findChild<QAction*>(name); }
};

// Every model state a view or a later command can see, one entry a line.
QStringList state(const SheetModel& m) {
    QStringList out;
    for (int a = 0; a < kLabelArrays; ++a)
        for (int row = 0; row < kRows; ++row)
            out << QStringLiteral("%1/%2 %3 %4")
                       .arg(a)
                       .arg(row)
                       .arg(m.caption(LabelArray(a), row))
                       .arg(m.enabled(LabelArray(a), row));
    out << m.label51() << m.label52() << m.text3() << m.command1Caption()
        << QString::number(m.prtEnabled()) << m.combo1List().join(QLatin1Char('|'))
        << QString::number(m.combo1ListIndex()) << QString::number(m.currentRecord())
        << QString::number(double(m.recordCount())) << m.questionFileName();
    for (int n = 1; n <= 6; ++n) out << QString::number(m.imageVisible(n));
    for (int r = 0; r < 4; ++r)
        for (int slot = 0; slot <= slot::kFontName; ++slot) out << m.table().at(r, slot);
    // Last, so that a test can set what it expects here.
    return out << m.messages().join(QLatin1Char('|'));
}

QDropEvent* dropOf(QEvent::Type type, const QMimeData* data, const QPoint& at) {
    if (type == QEvent::DragEnter)
        return new QDragEnterEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    if (type == QEvent::DragMove)
        return new QDragMoveEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    return new QDropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
}

}  // namespace

class SheetOutputsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString three_;
    QString other_;
    QString set_;  // other.moj's second heading, flipped, on the right page
    QString own_;  // a teacher's own file of two headings
    QByteArray byteName() const { return QFile::encodeName(dir_.path()) + "/\x8a\xbf.moj"; }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        three_ = dir_.filePath(QStringLiteral("three.moj"));
        QVERIFY(writeFile(three_, threeRecordsBytes()));
        QList<QStringList> other;
        for (int n = 5; n < 9; ++n) other << numberedRecord(n);
        other_ = dir_.filePath(QStringLiteral("other.moj"));
        QVERIFY(writeFile(other_, mojBytes(other)));
        own_ = dir_.filePath(QStringLiteral("own.csv"));
        QVERIFY(
            writeFile(own_, teacherCsvBytes(teacherRows("自作", {{"前", "こたえ", "問", "後。"}}) +
                                            teacherRows("二つ目", {{"", "に", "二", ""}}))));
        set_ = dir_.filePath(QStringLiteral("week.pobelo-set"));
        SheetModel maker{SheetServices{}};
        maker.openFile(other_);
        maker.chooseHeading(1);
        maker.setFlipped(0, true);
        QString why;
        QVERIFY2(maker.saveSet(set_, &why), qPrintable(why));
        // The same file under a name in CP932 bytes ("漢.moj"), as a Windows share gives it.
        QCOMPARE(::link(QFile::encodeName(other_).constData(), byteName().constData()), 0);
    }

    void cleanupTestCase() { ::unlink(byteName().constData()); }

    // --- Preview and PDF print what the print command prints ---------------------------------

    // 解答をPDFに保存 in one step: the key, marked 解答, under the name PDFに保存 would propose
    // with の解答 after it, told on the status line; a file that cannot be written is told as
    // before.
    void keyPdfIsTheMarkedKeyUnderItsOwnName() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        Outputs s;
        s.model.openFile(three_);
        s.model.chooseHeading(0);
        s.model.chooseHeading(1);
        s.model.setText3(QStringLiteral("週テスト"));
        QVERIFY(s.action("keyPdf")->isEnabled());
        const QString written = s.dir.filePath(QStringLiteral("key.pdf"));
        s.files.saveAnswers.push_back(written);
        s.trace.clear();
        s.action("keyPdf")->trigger();
        QCOMPARE(s.files.suggestedNames, QStringList{QFileInfo(three_).absoluteDir().filePath(
                                             QStringLiteral("週テストの解答.pdf"))});
        QCOMPARE(s.printerDialog.shown, 0);
        const QList<QStringList> jobs = traceJobs(s.trace.lines());
        QCOMPARE(jobs.size(), 1);
        // One mark a page, in one piece or a character at a time as the layout prints it.
        QCOMPARE(
            jobs[0].filter(QRegularExpression(R"(^\{"op":"printText","text":"解(答)?"\}$)")).size(),
            2);
        QVERIFY(readAll(written).startsWith("%PDF-"));
        auto* line = s.window.findChild<QStatusBar*>();
        QVERIFY(line);
        QCOMPARE(line->currentMessage(), QStringLiteral("「key.pdf」を保存しました"));
        QVERIFY(s.messages.shown.isEmpty());

        // A folder cannot be written as a file: told in a message, nothing said on the line.
        line->clearMessage();
        s.files.saveAnswers.push_back(s.dir.path());
        s.action("keyPdf")->trigger();
        QCOMPARE(s.messages.shown.size(), 1);
        QVERIFY(s.messages.shown[0].startsWith(text::kPdfNotWritten));
        QVERIFY(line->currentMessage().isEmpty());
    }

    void previewAndPdfDrawWhatPrintDraws_data() {
        QTest::addColumn<QList<int>>("headings");
        QTest::addColumn<QString>("font");  // from the font dialog, or none
        QTest::addColumn<bool>("answers");
        QTest::addColumn<bool>("portrait");
        QTest::newRow("upright face, two pages") << QList<int>{0, 2} << QString() << false << false;
        QTest::newRow("vertical face, two pages") << QList<int>{0, 1} << QString() << true << true;
        QTest::newRow("bold italic vertical face from the font dialog")
            << QList<int>{2} << QStringLiteral("@IPAexMincho") << false << true;
        QTest::newRow("one page, with answers") << QList<int>{0} << QString() << true << false;
    }
    void previewAndPdfDrawWhatPrintDraws() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(QList<int>, headings);
        QFETCH(QString, font);
        QFETCH(bool, answers);
        QFETCH(bool, portrait);
        Outputs s;
        s.model.openFile(three_);
        for (int h : headings) s.model.chooseHeading(h);
        s.model.setCheck(1, answers ? 1 : 0);
        if (!font.isEmpty()) {
            s.fonts.answers.push_back(FontChoice{font, 12, true, true});
            s.model.fontCommand();
            QCOMPARE(s.model.command1Caption(), font);
        }

        s.trace.clear();
        s.printerDialog.answers.push_back({});
        s.action("prt")->trigger();
        const QList<QStringList> printed = traceJobs(s.trace.lines());
        QCOMPARE(printed.size(), 1);
        QVERIFY(printed[0].filter(QStringLiteral("\"printText\"")).size() > 20);

        // The preview: every page it asks for is the printed job; printing from it prints it.
        s.trace.clear();
        int previewPages = -1;
        const bool previewShown =
            whileModal([&] { s.action("pv")->trigger(); },
                       [&](QDialog* dialog) {
                           QVERIFY(qobject_cast<QPrintPreviewDialog*>(dialog));
                           auto* widget = dialog->findChild<QPrintPreviewWidget*>();
                           QVERIFY(widget);
                           previewPages = widget->pageCount();
                           QFile::remove(s.printedPdf());
                           widget->print();
                       });
        QVERIFY(previewShown);
        QCOMPARE(previewPages, 1);
        const QList<QStringList> previewed = traceJobs(s.trace.lines());
        QVERIFY(previewed.size() >= 2);
        for (const QStringList& job : previewed) QCOMPARE(job, printed[0]);
        QVERIFY(s.backOnThePrinter());

        // The PDF file: no printer dialog, the same job.
        s.trace.clear();
        const QString exported = s.dir.filePath(QStringLiteral("exported.pdf"));
        s.files.saveAnswers.push_back(exported);
        s.action("pdf")->trigger();
        QCOMPARE(s.printerDialog.shown, 1);
        QCOMPARE(traceJobs(s.trace.lines()), printed);
        QVERIFY(s.backOnThePrinter());
        QVERIFY(s.messages.shown.isEmpty());

        const QByteArray bytes = readAll(exported);
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler's pdfinfo is needed to read the pages back");
        const QString info = runTool(QStringLiteral("pdfinfo"), {exported});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        const auto page =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts \\(A4\\)"))
                .match(info);
        QVERIFY2(page.hasMatch(), qPrintable(info));
        QCOMPARE(page.captured(1).toDouble() < page.captured(2).toDouble(), portrait);
        // The file holds the text the printer got from the preview's print.
        const QString exportedText = runTool(QStringLiteral("pdftotext"), {exported, "-"});
        QVERIFY(exportedText.contains(QStringLiteral("⑩")) &&
                exportedText.contains(QStringLiteral("漢")));
        QCOMPARE(exportedText, runTool(QStringLiteral("pdftotext"), {s.printedPdf(), "-"}));
    }

    void previewAndPdfAreThereWhenPrintIs_data() {
        QTest::addColumn<bool>("chooseHeading");
        QTest::addColumn<bool>("openAgain");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("at start") << false << false << false;
        QTest::newRow("file open, no heading chosen") << false << true << false;
        QTest::newRow("heading chosen") << true << false << true;
        QTest::newRow("another file opened after a heading") << true << true << true;
    }
    void previewAndPdfAreThereWhenPrintIs() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(bool, chooseHeading);
        QFETCH(bool, openAgain);
        QFETCH(bool, enabled);
        ScriptedFileDialog files;
        ScriptedPrinterDialog printer;
        RecordingSurface surface;
        ScriptedPreview preview;
        ScriptedDocumentWriter pdf;
        SheetModel model{
            SheetServices{&files, nullptr, &printer, &surface, nullptr, nullptr, &preview, &pdf}};
        MainWindow window(model);
        if (chooseHeading) {
            model.openFile(three_);
            model.chooseHeading(0);
        }
        if (openAgain) model.openFile(other_);
        QCOMPARE(model.prtEnabled(), enabled);
        for (const char* name : {"prt", "pv", "pdf"}) {
            QCOMPARE(window.findChild<QAction*>(name)->isEnabled(), enabled);
        }
        // The commands themselves refuse while printing is not possible.
        files.saveAnswers.push_back(dir_.filePath(QStringLiteral("x.pdf")));
        model.previewSheet();
        model.exportPdf();
        QCOMPARE(preview.shown, enabled ? 1 : 0);
        QCOMPARE(files.suggestedNames.size(), enabled ? 1 : 0);
        QCOMPARE(pdf.begun.size(), enabled ? 1 : 0);
        QCOMPARE(traceJobs(surface.lines()).size(), enabled ? 2 : 0);
    }

    void pdfCommandNamesTheFileAndReportsFailure_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");    // suggested, beside the question file
        QTest::addColumn<QString>("answer");  // of the save dialog; empty: cancelled
        QTest::addColumn<bool>("canBegin");
        QTest::addColumn<bool>("canFinish");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<bool>("reported");
        const QString path = QStringLiteral("/somewhere/試験.pdf");
        QTest::newRow("the default title, cancelled") << QString() << QStringLiteral("小テスト.pdf")
                                                      << QString() << true << true << 0 << false;
        QTest::newRow("a typed title, written")
            << QStringLiteral(" 第3回 漢字 ") << QStringLiteral("第3回 漢字.pdf") << path << true
            << true << 1 << false;
        QTest::newRow("no folders in a title, cannot start the file")
            << QStringLiteral("1/2 学期\\前半: *?") << QStringLiteral("1_2 学期_前半_ __.pdf")
            << path << false << true << 0 << true;
        QTest::newRow("cannot finish the file")
            << QString() << QStringLiteral("小テスト.pdf") << path << true << false << 1 << true;
    }
    void pdfCommandNamesTheFileAndReportsFailure() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(QString, answer);
        QFETCH(bool, canBegin);
        QFETCH(bool, canFinish);
        QFETCH(int, jobs);
        QFETCH(bool, reported);
        ScriptedFileDialog files;
        ScriptedPrinterDialog printer;
        RecordingSurface surface;
        ScriptedMessageBox messages;
        ScriptedDocumentWriter pdf;
        pdf.canBegin = canBegin;
        pdf.canFinish = canFinish;
        SheetModel model{
            SheetServices{&files, nullptr, &printer, &surface, &messages, nullptr, nullptr, &pdf}};
        model.openFile(three_);
        model.chooseHeading(0);
        model.chooseHeading(1);
        if (!title.isEmpty()) model.setText3(title);
        QStringList before = state(model);
        if (!answer.isEmpty()) files.saveAnswers.push_back(answer);
        model.exportPdf();

        QCOMPARE(files.saveFiltersSeen, QStringList{QStringLiteral("PDF (*.pdf)|*.pdf|")});
        QCOMPARE(files.suggestedNames, QStringList{QDir(dir_.path()).filePath(name)});
        QCOMPARE(pdf.begun.size(), answer.isEmpty() || !canBegin ? 0 : 1);
        QCOMPARE(traceJobs(surface.lines()).size(), jobs);
        QCOMPARE(pdf.finished, jobs);
        QCOMPARE(printer.shown, 0);
        const QStringList expected =
            reported ? QStringList{QStringLiteral("PDFファイルを保存できませんでした: ") + answer}
                     : QStringList{};
        QCOMPARE(messages.shown, expected);
        // Apart from the message, the sheet is as it was.
        before.last() = expected.join(QLatin1Char('|'));
        QCOMPARE(state(model), before);
    }

    // The paper chosen in the printer dialog is the one the sheet comes out on, and becomes
    // 印刷 > 用紙's choice, which the PDF command prints on next. The printer's paper size set
    // before the dialog, which the dialog takes as it stands, is what the user picked in it.
    void paperOfThePrinterDialog_data() {
        QTest::addColumn<QString>("menu");  // 印刷 > 用紙's entry chosen first
        QTest::addColumn<int>("picked");    // the dialog's paper size; -1: as the menu set it
        QTest::addColumn<QString>("size");  // the page printed and saved, as pdfinfo reads it
        QTest::addColumn<QString>("menuAfter");
        QTest::newRow("B4 from the menu") << "paperB4" << -1 << "1032x729"
                                          << "paperB4";
        QTest::newRow("A3 in the dialog") << "paperA4" << int(QPageSize::A3) << "1191x842"
                                          << "paperA3";
        QTest::newRow("Letter in the dialog prints A4")
            << "paperB4" << int(QPageSize::Letter) << "842x595"
            << "paperA4";
        QTest::newRow("ISO B4 in the dialog prints A4")
            << "paperA3" << int(QPageSize::B4) << "842x595"
            << "paperA4";
    }
    void paperOfThePrinterDialog() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("poppler's pdfinfo is needed to read the page size");
        QFETCH(QString, menu);
        QFETCH(int, picked);
        QFETCH(QString, size);
        QFETCH(QString, menuAfter);
        QTemporaryDir work;
        QtSheetServices platform;
        SheetModel model(platform.services());
        MainWindow window(model);
        // As the program joins them.
        connect(&window, &MainWindow::paperChosen, &window,
                [&platform](Paper paper) { platform.setPaper(paper); });
        platform.onPaperChosen([&window](Paper paper) { window.showPaper(paper); });
        platform.printer().setOutputFormat(QPrinter::PdfFormat);
        platform.printer().setOutputFileName(work.filePath("printed.pdf"));
        openFromCommandLine(model, {"pobelo", three_});
        model.chooseHeading(0);
        window.findChild<QAction*>(menu)->trigger();
        if (picked >= 0) platform.printer().setPageSize(QPageSize(QPageSize::PageSizeId(picked)));

        // Each dialog is accepted as it stands; the save dialog names saved.pdf.
        QTimer accept;
        accept.setInterval(10);
        connect(&accept, &QTimer::timeout, [&work] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            if (auto* files = qobject_cast<QFileDialog*>(dialog))
                files->selectFile(work.filePath("saved.pdf"));
            dialog->accept();
        });
        accept.start();
        model.printSheet();
        QCOMPARE(pageSizes(work.filePath("printed.pdf")), QStringList{size});
        QVERIFY(window.findChild<QAction*>(menuAfter)->isChecked());
        model.exportPdf();
        QCOMPARE(pageSizes(work.filePath("saved.pdf")), QStringList{size});
    }

    void pdfFileAppearsWholeOrNotAtAll() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
        QVERIFY(writeFile(path, "earlier file"));
        QPrinter printer;
        PainterSurface painter(&printer);
        QtPdfExport pdf(painter);

        // A job that drew nothing leaves the earlier file, and no temporary file beside it.
        QVERIFY(pdf.begin(path, QString()));
        QVERIFY(painter.device() != &printer);
        QVERIFY(!pdf.finish());
        QVERIFY(painter.device() == &printer);
        QCOMPARE(readAll(path), QByteArray("earlier file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet.pdf"});

        // A job abandoned before it finished leaves it too.
        {
            QtPdfExport abandoned(painter);
            QVERIFY(abandoned.begin(path, QString()));
            painter.setFontName(QStringLiteral("IPAexMincho"));
            QVERIFY(painter.drawLine(0, 0, 1440, 1440, 0));
        }
        QVERIFY(painter.device() == &printer);
        QCOMPARE(readAll(path), QByteArray("earlier file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet.pdf"});

        // A drawn job replaces it.
        QVERIFY(pdf.begin(path, QString()));
        QVERIFY(painter.drawLine(0, 0, 1440, 1440, 0));
        QVERIFY(painter.endDoc());
        QVERIFY(pdf.finish());
        QVERIFY(readAll(path).startsWith("%PDF-"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet.pdf"});

        // A folder that does not exist cannot take the file.
        QVERIFY(!pdf.begin(dir.filePath(QStringLiteral("none/sheet.pdf")), QString()));
        QVERIFY(painter.device() == &printer);
        QVERIFY(!pdf.finish());
        QVERIFY2(pdf.failureText().contains(QStringLiteral("フォルダーがありません")),
                 qPrintable(pdf.failureText()));

        // Nor is the open question file written, whatever link leads to it.
        const QString link = dir.filePath(QStringLiteral("link.pdf"));
        QVERIFY(QFile::link(other_, link));
        QVERIFY(!pdf.begin(link, other_));
        QVERIFY(painter.device() == &printer);
        QVERIFY2(pdf.failureText().contains(QStringLiteral("問題ファイル")),
                 qPrintable(pdf.failureText()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{"link.pdf", "sheet.pdf"}));
    }

    // Every question file opened in the session is protected from the PDF command, not only the
    // one open now, by any name that leads to it.
    void pdfNeverReplacesAQuestionFileOfTheSession_data() {
        QTest::addColumn<QString>("target");  // the file the save dialog answers
        QTest::addColumn<bool>("written");
        QTest::newRow("the file opened first") << "first" << false;
        QTest::newRow("a link to the file opened first") << "link" << false;
        QTest::newRow("the file open now") << "second" << false;
        QTest::newRow("a new file") << "new" << true;
    }
    void pdfNeverReplacesAQuestionFileOfTheSession() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(QString, target);
        QFETCH(bool, written);
        Outputs o;
        const QString first = o.dir.filePath(QStringLiteral("a.moj"));
        const QString second = o.dir.filePath(QStringLiteral("b.moj"));
        QVERIFY(writeFile(first, threeRecordsBytes()));
        QVERIFY(writeFile(second, threeRecordsBytes()));
        const QString link = o.dir.filePath(QStringLiteral("link.pdf"));
        QVERIFY(QFile::link(first, link));
        const QMap<QString, QString> answers{{QStringLiteral("first"), first},
                                             {QStringLiteral("link"), link},
                                             {QStringLiteral("second"), second},
                                             {QStringLiteral("new"), o.dir.filePath("new.pdf")}};
        o.model.openFile(first);
        o.model.openFile(second);
        o.model.chooseHeading(0);
        o.files.saveAnswers.push_back(answers[target]);
        o.model.exportPdf();

        QCOMPARE(readAll(first), threeRecordsBytes());
        QCOMPARE(readAll(second), threeRecordsBytes());
        QCOMPARE(readAll(answers[target]).startsWith("%PDF-"), written);
        QCOMPARE(o.messages.shown.size(), written ? 0 : 1);
        if (!written) {
            QVERIFY2(o.messages.shown.first().contains(QStringLiteral("問題ファイル")),
                     qPrintable(o.messages.shown.first()));
        }
    }

    // What a load did not read as it stands shows on a status line, without a message box; a
    // later file read whole clears it.
    void loadNotesShowWithoutInterrupting() {
        Outputs o;
        QList<QStringList> records{numberedRecord(0), numberedRecord(1), numberedRecord(2)};
        records[1] << QStringLiteral("x");
        const QString shifted = o.dir.filePath(QStringLiteral("shifted.moj"));
        QVERIFY(writeFile(shifted, mojBytes(records)));
        QVERIFY(!o.window.findChild<QStatusBar*>());
        o.model.openFile(shifted);
        auto* line = o.window.findChild<QStatusBar*>();
        QVERIFY(line);
        QVERIFY2(line->currentMessage().contains(QStringLiteral("2行目の項目数が44")),
                 qPrintable(line->currentMessage()));
        QCOMPARE(o.messages.shown, QStringList{});
        o.model.openFile(three_);
        QCOMPARE(line->currentMessage(), QString());
        // A teacher's file that cannot be read is told there, in the window's Japanese, with its
        // line; none of it is listed.
        const QString refused = o.dir.filePath(QStringLiteral("refused.csv"));
        QVERIFY(writeFile(refused, teacherCsvBytes({{"一", "前", "問", "後", "答", ""},
                                                    {"一", "前", "問", "後"}})));
        o.model.openFile(refused);
        QCOMPARE(line->currentMessage(),
                 QStringLiteral("refused.csv：3行目の項目数が4で、1行目（列の名前）の6と"
                                "合いません。何も読み込んでいません。"));
        QCOMPARE(o.model.combo1List(), QStringList());
        QCOMPARE(o.messages.shown, QStringList{});
    }

    // --- A dropped file and the command line open as the open command does --------------------

    void droppedFileOpensAsTheOpenCommand_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("target");  // the control dropped on, or the window
        QTest::addColumn<bool>("opens");
        const QUrl other = QUrl::fromLocalFile(other_);
        QTest::newRow("a question file") << QList<QUrl>{other} << QString() << true;
        QTest::newRow("on the title box") << QList<QUrl>{other} << "Text3" << true;
        QTest::newRow("on the heading list") << QList<QUrl>{other} << "Combo1" << true;
        QTest::newRow("the first of two")
            << QList<QUrl>{other, QUrl::fromLocalFile(three_)} << QString() << true;
        QTest::newRow("a missing question file")
            << QList<QUrl>{QUrl::fromLocalFile(dir_.filePath("gone.moj"))} << QString() << true;
        QTest::newRow("a sheet set") << QList<QUrl>{QUrl::fromLocalFile(set_)} << "Text3" << true;
        QTest::newRow("a teacher's file")
            << QList<QUrl>{QUrl::fromLocalFile(own_)} << "Combo1" << true;
        QTest::newRow("a web address")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.moj"))} << QString() << false;
        QTest::newRow("another kind of file")
            << QList<QUrl>{QUrl::fromLocalFile(dir_.filePath("notes.txt"))} << QString() << false;
        QTest::newRow("a question file second")
            << QList<QUrl>{QUrl::fromLocalFile(dir_.filePath("notes.txt")), other} << "Text3"
            << false;
    }
    void droppedFileOpensAsTheOpenCommand() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, target);
        QFETCH(bool, opens);
        Outputs byDialog, byDrop;
        for (Outputs* s : {&byDialog, &byDrop}) {
            s->model.openFile(three_);
            s->model.chooseHeading(0);
            s->model.setText3(QStringLiteral("見出し"));
        }
        const QStringList untouched = state(byDrop.model);
        byDialog.files.answers.push_back(urls.first().toLocalFile());
        byDialog.action(urls.first().path().endsWith(".pobelo-set") ? "tso" : "fo")->trigger();

        QMimeData data;
        data.setUrls(urls);
        data.setText(urls.first().toString());
        QWidget* on = &byDrop.window;
        if (!target.isEmpty()) on = byDrop.window.findChild<QWidget*>(target);
        if (auto* combo = qobject_cast<QComboBox*>(on)) on = combo->lineEdit();
        QVERIFY(on);
        const QPoint at = on->rect().center();
        for (QEvent::Type type : {QEvent::DragEnter, QEvent::DragMove, QEvent::Drop}) {
            std::unique_ptr<QDropEvent> event(dropOf(type, &data, at));
            event->setAccepted(false);
            QApplication::sendEvent(on, event.get());
            QCOMPARE(event->isAccepted(), opens);
        }
        QCOMPARE(state(byDrop.model), opens ? state(byDialog.model) : untouched);
        // A file's name never lands in a text box as typed text.
        // (A set brings its own title.)
        QCOMPARE(byDrop.window.findChild<QLineEdit*>("Text3")->text(),
                 urls.first() == QUrl::fromLocalFile(set_) ? QStringLiteral("小テスト")
                                                           : QStringLiteral("見出し"));
    }

    void commandLineOpensAsTheOpenCommand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("chosen");  // what the dialog returns; empty: nothing opens
        const QString other = other_;
        QTest::newRow("a whole path") << QStringList{"pobelo", other} << other;
        QTest::newRow("a path in the working folder")
            << QStringList{"pobelo", "other.moj"} << other;
        QTest::newRow("a file address")
            << QStringList{"pobelo", QUrl::fromLocalFile(other).toString()} << other;
        QTest::newRow("a missing file")
            << QStringList{"pobelo", "gone.moj"} << dir_.filePath("gone.moj");
        const QString bytes = localPathFromBytes("\x8a\xbf.moj");
        QTest::newRow("CP932 bytes in the name")
            << QStringList{"pobelo", bytes} << dir_.filePath(bytes);
        QTest::newRow("CP932 bytes in a file address")
            << QStringList{"pobelo", "file://" + dir_.path() + "/%8A%BF.moj"}
            << dir_.filePath(bytes);
        QTest::newRow("no file") << QStringList{"pobelo"} << QString();
        QTest::newRow("a sheet set") << QStringList{"pobelo", "week.pobelo-set"} << set_;
        QTest::newRow("a teacher's file") << QStringList{"pobelo", "own.csv"} << own_;
    }
    void commandLineOpensAsTheOpenCommand() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        QFETCH(QStringList, arguments);
        QFETCH(QString, chosen);
        const QString workingFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        Outputs byDialog, byArguments;
        const bool set = chosen.endsWith(".pobelo-set");
        if (!chosen.isEmpty()) {
            byDialog.files.answers.push_back(chosen);
            byDialog.action(set ? "tso" : "fo")->trigger();
        }
        openFromCommandLine(byArguments.model, arguments);
        QVERIFY(QDir::setCurrent(workingFolder));
        QCOMPARE(state(byArguments.model), state(byDialog.model));
        QCOMPARE(byArguments.model.questionFileName(), set ? other_ : chosen);
        QCOMPARE(byArguments.model.variant(0).flipped, set);
        QCOMPARE(byArguments.model.lastLoad().status,
                 chosen.endsWith("gone.moj") ? LoadStatus::FileNotFound : LoadStatus::Complete);
    }
};

QTEST_MAIN(SheetOutputsTest)
#include "test_sheetoutputs.moc"
