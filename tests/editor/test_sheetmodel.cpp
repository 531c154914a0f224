#include <QTemporaryDir>
#include <QtTest>

#include "modelfixture.h"
#include "mojfile.h"
#include "questionfile.h"
#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// A model with scripted dialogs and a recording print surface.
struct Fixture : ModelFixture {
    QStringList sentences(LabelArray a) const { return captions(a); }
    bool pageEnabled(LabelArray first) const {
        for (int a = first; a < first + 3; ++a)
            for (int row = 0; row < kRows; ++row)
                if (!model.enabled(LabelArray(a), row)) return false;
        return true;
    }
    bool pageDisabled(LabelArray first) const {
        for (int a = first; a < first + 3; ++a)
            for (int row = 0; row < kRows; ++row)
                if (model.enabled(LabelArray(a), row)) return false;
        return true;
    }
    // "right", "left" or "mixed" for the enabled page.
    QString enabledPage() const {
        if (pageEnabled(Label1) && pageDisabled(Label4)) return QStringLiteral("right");
        if (pageEnabled(Label4) && pageDisabled(Label1)) return QStringLiteral("left");
        return QStringLiteral("mixed");
    }
};

}  // namespace

class SheetModelTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString tenRecords_, threeRecords_, twelveRecords_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QList<QStringList> ten, three, twelve;
        for (int n = 0; n < 10; ++n) ten << numberedRecord(n);
        for (int n = 100; n < 103; ++n) three << numberedRecord(n);
        for (int n = 0; n < 12; ++n) twelve << numberedRecord(n, n == 11 ? "@ＭＳ 明朝" : "");
        tenRecords_ = dir_.filePath("ten.moj");
        threeRecords_ = dir_.filePath("three.moj");
        twelveRecords_ = dir_.filePath("twelve.moj");
        QVERIFY(writeFile(tenRecords_, mojBytes(ten)));
        QVERIFY(writeFile(threeRecords_, mojBytes(three)));
        QVERIFY(writeFile(twelveRecords_, mojBytes(twelve)));
    }

    void startState() {
        Fixture f;
        for (int row = 0; row < kRows; ++row) {
            QCOMPARE(f.model.caption(Label1, row), QString::number(row + 1));
            QCOMPARE(f.model.caption(Label4, row), QString::number(row + 1));
            for (LabelArray a : {Label2, Label3, Label5, Label6})
                QVERIFY(f.model.caption(a, row).isEmpty());
        }
        QCOMPARE(f.enabledPage(), QStringLiteral("right"));
        QVERIFY(f.model.imageVisible(1));
        QVERIFY(!f.model.imageVisible(2));
        for (int n = 3; n <= 6; ++n) QVERIFY(f.model.imageVisible(n));
        QVERIFY(!f.model.imageClickable(4));
        QVERIFY(!f.model.imageClickable(6));
        QCOMPARE(f.model.command1Caption(), QStringLiteral("Font"));
        QCOMPARE(f.model.command2Caption(), QStringLiteral("Print"));
        QVERIFY(!f.model.command1Enabled() && !f.model.command2Enabled() && !f.model.prtEnabled());
        QVERIFY(f.model.label51().isEmpty() && f.model.label52().isEmpty());
        QCOMPARE(f.model.combo1ListIndex(), -1);
        QCOMPARE(f.model.recordCount(), 0.0f);
    }

    void openListsHeadingsAndEmptiesItems() {
        Fixture f;
        f.open(tenRecords_);
        QCOMPARE(f.files.filtersSeen, QStringList{text::kFileFilter});
        QCOMPARE(f.model.combo1List().size(), 10);
        QCOMPARE(f.model.combo1List().at(9), QStringLiteral("見出し9"));
        QCOMPARE(f.model.recordCount(), 10.0f);
        f.model.chooseHeading(0);
        f.model.chooseHeading(1);
        f.open(threeRecords_);
        QCOMPARE(f.model.combo1List(), (QStringList{"見出し100", "見出し101", "見出し102"}));
        // Records beyond the new count keep the first file's data.
        QCOMPARE(f.model.table().at(5, 0), QStringLiteral("見出し5"));
        for (LabelArray a : {Label2, Label3, Label5, Label6})
            QCOMPARE(f.sentences(a), QStringList(10));
        // Titles, icons and the composed-page state are left alone.
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト 1"));
        QVERIFY(f.model.imageVisible(1));
        QCOMPARE(f.model.rightAnswers()[0], QStringLiteral("こたえ0"));
    }

    void cancelledOpenChangesNothing() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(3);
        f.model.fontCommand();  // used once: a cancel must still change nothing
        const QStringList list = f.model.combo1List();
        const QStringList sentences = f.sentences(Label3);
        f.files.answers.push_back(std::nullopt);
        f.model.openCommand();
        QCOMPARE(f.model.combo1List(), list);
        QCOMPARE(f.sentences(Label3), sentences);
        QCOMPARE(f.model.questionFileName(), tenRecords_);
    }

    void missingFileShowsTheMessage() {
        Fixture f;
        f.open(dir_.filePath("nothing-here.moj"));
        // The message names the file asked for, without its folder.
        const QString message = QStringLiteral("「nothing-here.moj」が見つかりません。");
        QCOMPARE(f.messages.shown, QStringList{message});
        QCOMPARE(f.model.messages(), QStringList{message});
        QVERIFY(f.model.combo1List().isEmpty());
        QCOMPARE(f.model.recordCount(), 0.0f);
    }

    void firstHeadingComposesTheRightPage() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(0);
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト 1"));
        QCOMPARE(f.model.label52(), QStringLiteral("小テスト"));
        QCOMPARE(f.model.text3(), QStringLiteral("小テスト"));
        QVERIFY(!f.model.imageVisible(1) && f.model.imageVisible(2));
        QVERIFY(!f.model.imageVisible(3) && f.model.imageClickable(4));
        QCOMPARE(f.enabledPage(),
                 QStringLiteral("right"));  // the pointer moves, the greying does not
        QCOMPARE(f.model.command1Caption(), QStringLiteral("ＭＳ 明朝"));
        QVERIFY(f.model.command1Enabled() && f.model.command2Enabled() && f.model.prtEnabled());
        QCOMPARE(f.model.caption(Label2, 4), QStringLiteral("漢字4"));
        QCOMPARE(f.model.caption(Label3, 4), QStringLiteral("前0の4漢字4後4。"));
        QCOMPARE(f.model.rightBeforeLengths()[4], qint16(4));
        QCOMPARE(f.model.rightAnswers()[9], QStringLiteral("こたえ9"));
        QCOMPARE(f.model.rightBeforeLengths()[10], qint16(0));
        // The second heading goes to the left page, the third back over the right one.
        f.model.chooseHeading(1);
        QCOMPARE(f.model.label52(), QStringLiteral("小テスト 2"));
        QCOMPARE(f.model.caption(Label6, 0), QStringLiteral("前1の0漢字0後0。"));
        QVERIFY(f.model.imageVisible(1) && !f.model.imageVisible(5));
        f.model.chooseHeading(2);
        QCOMPARE(f.model.caption(Label3, 0), QStringLiteral("前2の0漢字0後0。"));
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト 3"));
    }

    void twelfthHeadingOnTheLeftPageKeepsTheTitleBox() {
        Fixture f;
        f.open(twelveRecords_);
        f.model.setText3(QStringLiteral("漢字テスト"));
        f.model.clickImage(1);  // left page active; Label52 already has a caption
        f.model.chooseHeading(11);
        QCOMPARE(f.model.label52(), QStringLiteral("漢字テスト 12"));
        QCOMPARE(f.model.label51(), QStringLiteral("漢字テスト"));
        QCOMPARE(f.model.text3(), QStringLiteral("漢字テスト"));
        QCOMPARE(f.model.command1Caption(), QStringLiteral("@ＭＳ 明朝"));
        QVERIFY(!f.model.imageVisible(5) && f.model.imageVisible(1));
        // An empty font name becomes an empty caption.
        f.model.chooseHeading(0);
        QCOMPARE(f.model.command1Caption(), QString());
    }

    void titleSetInsideTheChoiceRunsTheChangeHandlerOnlyOnAChange() {
        Fixture f;
        f.open(tenRecords_);
        f.model.setText3(QStringLiteral("小テスト"));
        f.model.clickImage(3);  // empties Label51 only
        QCOMPARE(f.model.label52(), QStringLiteral("小テスト"));
        f.model.setText3(QStringLiteral("小テスト"));  // no change: no handler
        f.model.chooseHeading(4);
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト 5"));
        QCOMPARE(f.model.label52(), QStringLiteral("小テスト"));
    }

    void emptyTitleTakenOverByTheLeftBlankSheet() {
        Fixture f;
        f.open(tenRecords_);
        f.model.setText3(QStringLiteral("理科"));
        f.model.clickImage(3);  // Label51 empty
        f.model.clickImage(5);  // Label52 takes the empty title
        QVERIFY(f.model.label52().isEmpty());
        f.model.chooseHeading(2);  // composed on the left page
        QCOMPARE(f.model.text3(), QStringLiteral("小テスト"));
        QCOMPARE(f.model.label52(), QStringLiteral("小テスト 3"));
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト"));
    }

    void positionOutsideTheTableEndsTheChoice() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(-1);
        QCOMPARE(f.model.currentRecord(), qint16(-1));
        QCOMPARE(f.model.command1Caption(), QStringLiteral("Font"));
        QVERIFY(!f.model.command1Enabled());
        QVERIFY(f.model.imageVisible(1));
        f.model.chooseHeading(2001);
        QCOMPARE(f.model.currentRecord(), qint16(2001));
        QVERIFY(f.model.label51().isEmpty());
    }

    void beforeLengthsCountUtf16Units() {
        Fixture f;
        const QString path = dir_.filePath("surrogate.moj");
        // 𠮟 lies outside the basic plane and takes two units.
        QVERIFY(writeFile(
            path,
            mojBytes({record("h", {Item{"", "a", "問", "題"}, Item{"𠮟る", "b", "声", ""}})})));
        f.open(path);
        f.model.chooseHeading(0);
        QCOMPARE(f.model.rightBeforeLengths()[0], qint16(0));
        QCOMPARE(f.model.caption(Label3, 0), QStringLiteral("問題"));
        // Not in code page 932, so it arrives as one replacement character.
        QCOMPARE(f.model.rightBeforeLengths()[1], qint16(f.model.table().at(0, 6).size()));
    }

    void transitionTable_data() {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("event");
        // Image1, Image2, Image3, Image5 visibility ("1"/"0"), enabled page, Label51, Label52,
        // emptied item arrays.
        QTest::addColumn<QString>("images");
        QTest::addColumn<QString>("enabledPage");
        QTest::addColumn<QString>("label51");
        QTest::addColumn<QString>("label52");
        QTest::addColumn<QString>("emptied");

        // Both pages composed: right "題 1", left "題 2"; the pointer is back on the right page,
        // the right page enabled; Text3 = "題".
        const QStringList composed{"type 題", "choose 0", "choose 1"};
        QTest::newRow("start") << QStringList{} << ""
                               << "1011"
                               << "right"
                               << ""
                               << ""
                               << "";
        QTest::newRow("Image1") << composed << "click 1"
                                << "0100"
                                << "left"
                                << "題 1"
                                << "題 2"
                                << "";
        QTest::newRow("Image2") << QStringList{"type 題", "choose 0"} << "click 2"
                                << "1001"
                                << "right"
                                << "題 1"
                                << "題"
                                << "";
        QTest::newRow("Image3") << QStringList{"type 題", "click 1", "choose 0"} << "click 3"
                                << "1010"
                                << "right"
                                << ""
                                << "題 1"
                                << "";
        QTest::newRow("Image4") << composed << "click 4"
                                << "1010"
                                << "right"
                                << "題"
                                << "題 2"
                                << "23";
        QTest::newRow("Image5") << QStringList{"type 題", "choose 0", "click 2"} << "click 5"
                                << "0101"
                                << "left"
                                << "題 1"
                                << "題 1"
                                << "";
        QTest::newRow("Image6") << composed << "click 6"
                                << "0101"
                                << "left"
                                << "題 1"
                                << "題"
                                << "56";
        QTest::newRow("Text3") << composed << "type 新"
                               << "1000"
                               << "right"
                               << "新"
                               << "新"
                               << "";
        QTest::newRow("choice right") << QStringList{"type 題"} << "choose 4"
                                      << "0101"
                                      << "right"
                                      << "題 5"
                                      << "題"
                                      << "";
        QTest::newRow("choice left") << QStringList{"type 題", "click 1"} << "choose 4"
                                     << "1010"
                                     << "left"
                                     << "題"
                                     << "題 5"
                                     << "";
        // Hidden or covered icons take no click.
        QTest::newRow("Image2 hidden") << QStringList{} << "click 2"
                                       << "1011"
                                       << "right"
                                       << ""
                                       << ""
                                       << "";
        QTest::newRow("Image4 covered") << QStringList{"type 題"} << "click 4"
                                        << "1011"
                                        << "right"
                                        << "題"
                                        << "題"
                                        << "";
        QTest::newRow("Image6 covered") << composed << "click 6;click 6"
                                        << "0101"
                                        << "left"
                                        << "題 1"
                                        << "題"
                                        << "56";
    }

    void transitionTable() {
        QFETCH(QStringList, setup);
        QFETCH(QString, event);
        QFETCH(QString, images);
        QFETCH(QString, enabledPage);
        QFETCH(QString, label51);
        QFETCH(QString, label52);
        QFETCH(QString, emptied);

        Fixture f;
        f.open(tenRecords_);
        auto run = [&](const QString& step) {
            const QString arg = step.section(' ', 1);
            if (step.startsWith("type")) f.model.setText3(arg);
            if (step.startsWith("choose")) f.model.chooseHeading(arg.toInt());
            if (step.startsWith("click")) f.model.clickImage(arg.toInt());
        };
        for (const QString& step : setup) run(step);
        if (setup.contains("choose 1")) f.model.clickImage(2);  // pointer back to the right page
        std::array<QStringList, kLabelArrays> before;
        for (int a = 0; a < kLabelArrays; ++a) before[a] = f.sentences(LabelArray(a));
        const auto lengths = f.model.rightBeforeLengths();
        for (const QString& step : event.split(';', Qt::SkipEmptyParts)) run(step);

        const QString seen =
            QString::number(f.model.imageVisible(1)) + QString::number(f.model.imageVisible(2)) +
            QString::number(f.model.imageVisible(3)) + QString::number(f.model.imageVisible(5));
        QCOMPARE(seen, images);
        QCOMPARE(int(f.model.imageVisible(1)) + int(f.model.imageVisible(2)), 1);
        QVERIFY(f.model.imageVisible(4) && f.model.imageVisible(6));
        QCOMPARE(f.enabledPage(), enabledPage);
        QCOMPARE(f.model.label51(), label51);
        QCOMPARE(f.model.label52(), label52);
        for (int a = 0; a < kLabelArrays; ++a) {
            const bool shouldEmpty = emptied.contains(QString::number(a + 1));
            if (shouldEmpty)
                QCOMPARE(f.sentences(LabelArray(a)), QStringList(10));
            else if (!event.startsWith("choose"))
                QCOMPARE(f.sentences(LabelArray(a)), before[a]);
        }
        // Only composition changes what it remembered; a page clear keeps it.
        if (!event.startsWith("choose")) QCOMPARE(f.model.rightBeforeLengths(), lengths);
    }

    // A print leaves nothing behind that a second one would draw.
    void printTwiceDrawsTheSameSheet() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(0);  // left page stays empty
        for (int round = 0; round < 2; ++round) {
            f.printer.answers.push_back({});
            f.model.printSheet();
        }
        const QList<QStringList> jobs = traceJobs(f.surface.lines());
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs[1], jobs[0]);
        QVERIFY(jobs[0].contains(R"({"op":"printText","text":"①"})"));
    }

    // One printer dialog, then the sheet as it stands and the same sheet with every answer.
    void keyPrintsTheSheetThenItsAnswers() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(0);
        f.model.chooseHeading(1);
        f.model.setCheck(2, 1);
        f.printer.answers.push_back({});
        f.model.printSheetAndKey();
        QCOMPARE(f.printer.shown, 1);
        const QStringList sheets = jobTexts(f.surface.lines());
        QCOMPARE(sheets.size(), 2);  // two sheets, nothing after the second
        QCOMPARE(f.surface.lines().last(), QStringLiteral(R"({"op":"endDoc"})"));
        // Right page answers only on the key; left page answers on both.
        QCOMPARE(sheets[0].count("①こたえ0"), 1);
        QCOMPARE(sheets[1].count("①こたえ0"), 2);
        QCOMPARE(f.model.check1(), 0);
        QCOMPARE(f.model.check2(), 1);

        // A cancelled dialog prints neither.
        f.surface.clear();
        f.printer.answers.push_back({false, 1, {}});
        f.model.printSheetAndKey();
        QCOMPARE(f.surface.lines(), QStringList{R"({"op":"endDoc"})"});
    }

    // What the window shows of the sheet (or its key) is the job the print command draws: the
    // same operations, the fit it picks without asking among them; the key's mark on the pages
    // printed with their answers while it is on.
    void shownIsWhatPrints_data() {
        QTest::addColumn<QString>("font");  // from the font dialog, or none
        QTest::addColumn<bool>("key");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("keyMark");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("marked");  // right, left: the pages' key marks
        QTest::newRow("upright sheet")
            << QString() << false << false << true << QString() << QStringList{"", "解答"};
        QTest::newRow("upright key, unmarked")
            << QString() << true << false << false << QString() << QStringList{"", ""};
        QTest::newRow("vertical key, fitted, marked")
            << QStringLiteral("@IPAexMincho") << true << true << true << QString()
            << QStringList{"解答", "解答"};
        QTest::newRow("title into 名前: found, printed as it stands")
            << QStringLiteral("@IPAexMincho") << false << false << true
            << QStringLiteral("漢字の小テスト第一") << QStringList{"", "解答"};
    }
    void shownIsWhatPrints() {
        QFETCH(QString, font);
        QFETCH(bool, key);
        QFETCH(bool, fit);
        QFETCH(bool, keyMark);
        QFETCH(QString, title);
        QFETCH(QStringList, marked);
        Fixture f;
        f.open(tenRecords_);
        f.model.setText3(title);
        f.model.chooseHeading(0);
        f.model.chooseHeading(1);
        f.model.setCheck(2, 1);
        f.model.setFitEnabled(fit);
        f.model.setKeyMark(keyMark);
        if (!font.isEmpty()) {
            f.fonts.answers.push_back(FontChoice{font, 12, false, false});
            f.model.fontCommand();
        }
        const SheetModel::Shown shown = f.model.shown(key);
        QCOMPARE((QStringList{shown.content.right.keyMark, shown.content.left.keyMark}), marked);
        RecordingSurface preview;
        drawSheet(shown.content, shown.fit, preview);
        preview.endDoc();

        f.surface.clear();
        f.printer.answers.push_back({});
        if (key)
            f.model.printSheetAndKey();
        else
            f.model.printSheet();
        const QList<QStringList> jobs = traceJobs(f.surface.lines());
        QCOMPARE(jobs.size(), key ? 2 : 1);
        QCOMPARE(traceJobs(preview.lines()), QList<QStringList>{jobs.last()});
        if (!title.isEmpty()) QVERIFY(!shown.findings.isEmpty());
        if (fit) QVERIFY(shown.findings.isEmpty());
    }

    void cancelledPrinterDialogPrintsNothing() {
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(0);
        for (bool fontUsed : {false, true}) {
            if (fontUsed) {
                f.fonts.answers.push_back(FontChoice{"IPAexGothic", 12, false, false});
                f.model.fontCommand();
            }
            f.surface.clear();
            const QStringList right = f.sentences(Label3);
            f.printer.answers.push_back({false, 1, {}});
            f.model.printSheet();
            QCOMPARE(f.surface.lines(), QStringList{R"({"op":"endDoc"})"});
            QCOMPARE(f.sentences(Label3), right);
        }
    }

    void layoutFollowsTheFirstCharacterOfTheCaption_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("orientation");
        QTest::newRow("@ face") << "@ＭＳ 明朝" << 1;
        QTest::newRow("upright") << "ＭＳ Ｐゴシック" << 2;
        QTest::newRow("full-width ＠") << "＠ＭＳ 明朝" << 2;
        QTest::newRow("empty") << "" << 2;
    }

    void layoutFollowsTheFirstCharacterOfTheCaption() {
        QFETCH(QString, font);
        QFETCH(int, orientation);
        Fixture f;
        f.open(tenRecords_);
        f.model.chooseHeading(0);
        f.fonts.answers.push_back(FontChoice{font, 15, false, false});
        f.model.fontCommand();
        QCOMPARE(f.model.command1Caption(), font);
        f.printer.answers.push_back({});
        f.model.printSheet();
        QVERIFY(f.surface.lines().contains(
            QStringLiteral(R"({"op":"setOrientation","orientation":%1})").arg(orientation)));
    }

    void fontCommandOpensOnTheWindowFontAndKeepsOrder() {
        Fixture f;
        f.open(tenRecords_);
        f.model.fontCommand();  // disabled before a heading is chosen: no dialog
        QVERIFY(f.fonts.presetsSeen.empty());
        f.model.chooseHeading(0);
        f.fonts.answers.push_back(FontChoice{"@IPAexMincho", 20, true, true});
        f.model.fontCommand();
        QCOMPARE(f.surface.lines(), (QStringList{R"({"op":"setFontName","name":"@IPAexMincho"})",
                                                 R"({"op":"setFontItalic","on":true})",
                                                 R"({"op":"setFontSize","size":20})",
                                                 R"({"op":"setFontBold","on":true})"}));
        f.surface.clear();
        f.model.fontCommand();  // cancelled
        QVERIFY(f.surface.lines().isEmpty());
        QCOMPARE(f.model.command1Caption(), QStringLiteral("@IPAexMincho"));
        QCOMPARE(f.fonts.presetsSeen.size(), std::size_t(2));
        QCOMPARE(f.fonts.presetsSeen[1], f.model.windowFont());
        // A surface that refuses a value leaves the caption alone.
        f.surface.failing().insert("setFontSize");
        f.fonts.answers.push_back(FontChoice{"IPAexGothic", 99, false, false});
        f.model.fontCommand();
        QCOMPARE(f.model.command1Caption(), QStringLiteral("@IPAexMincho"));
    }

    void webSiteOpensEachTime() {
        Fixture f;
        f.model.openWebSite();
        f.model.openWebSite();
        QCOMPARE(f.browser.opened, (QStringList{SheetModel::homePage(), SheetModel::homePage()}));
        QCOMPARE(f.model.browserAddresses().size(), 2);
        f.browser.canOpen = false;
        f.model.openWebSite();
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].contains(SheetModel::homePage()));
        QCOMPARE(f.model.browserAddresses().size(), 2);
    }

    // The print job's name and the PDF's description follow what the pages hold.
    void documentInfoFollowsThePages() {
        Fixture f;
        QCOMPARE(f.model.documentInfo().jobName(), QString());
        f.open(threeRecords_);
        f.model.chooseHeading(2);
        f.model.chooseHeading(0);
        DocumentInfo info = f.model.documentInfo();
        QCOMPARE(info.title, QStringLiteral("小テスト 3 / 小テスト 1"));
        QCOMPARE(info.subject, QStringLiteral("見出し102 / 見出し100"));
        QCOMPARE(info.jobName(), QStringLiteral("小テスト 3 / 小テスト 1 — three.moj"));
        // A cleared page is no longer in the subject; one title shared by both pages is named once.
        f.model.clickImage(4);
        f.model.setText3(QStringLiteral("復習"));
        info = f.model.documentInfo();
        QCOMPARE(info.subject, QStringLiteral("見出し100"));
        QCOMPARE(info.title, QStringLiteral("復習"));
        // Opening a file empties both pages.
        f.open(tenRecords_);
        QCOMPARE(f.model.documentInfo().subject, QString());
        QCOMPARE(f.model.documentInfo().fileName, QStringLiteral("ten.moj"));
    }
};

QTEST_GUILESS_MAIN(SheetModelTest)
#include "test_sheetmodel.moc"
