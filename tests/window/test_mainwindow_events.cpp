// The main window's events reach the model, and the window follows it: opening and choosing,
// icon clicks, the title box and switches, the font and print commands and each page's test
// choices. (The window as designed is checked in test_mainwindow_design.)

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "mainwindow.h"
#include "mainwindowsession.h"
#include "questionfile.h"
#include "reviewdialog.h"
#include "seedbox.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// Every control of the design at its designed place, in twips: left, top, width, height (a
// height of 0: the control's own, as the heading list takes).
struct DesignedPlace {
    const char* name;
    int left, top, width, height;
};
const DesignedPlace kDesigned[] = {
    {"Image1", 5760, 1080, 480, 480},   {"Image2", 240, 1080, 480, 480},
    {"Image3", 5640, 480, 480, 480},    {"Image4", 5640, 480, 480, 480},
    {"Image5", 5160, 480, 480, 480},    {"Image6", 5160, 480, 480, 480},
    {"Label51", 7920, 1080, 2895, 375}, {"Label52", 2400, 1080, 2895, 375},
    {"Label7", 6840, 1320, 735, 240},   {"Label8", 1320, 1320, 735, 240},
    {"Label12", 5760, 120, 375, 255},   {"Label13", 5160, 120, 375, 255},
    {"Check1", 6600, 1080, 975, 255},   {"Check2", 1080, 1080, 975, 255},
    {"Command1", 240, 120, 2175, 735},  {"Command2", 8640, 120, 2175, 735},
    {"Label14", 2520, 240, 1575, 255},  {"Text3", 2520, 480, 2175, 375},
    {"Label15", 6360, 240, 1215, 255},  {"Combo1", 6360, 480, 2055, 0},
    {"Label11", 480, 6720, 735, 255},   {"Label9", 1920, 6600, 4335, 375},
    {"Label10", 7440, 6600, 2895, 375},
};
// The label arrays: left, width and height; rows from 1560 every 500.
const DesignedPlace kDesignedArrays[] = {
    {"Label1", 5880, 0, 375, 255}, {"Label2", 6480, 0, 1335, 375}, {"Label3", 7920, 0, 2895, 375},
    {"Label4", 360, 0, 375, 255},  {"Label5", 960, 0, 1335, 375},  {"Label6", 2400, 0, 2895, 375},
};

// Whether a label shows the red of a missed item's mark.
bool showsMissedMark(QWidget* label) {
    const QImage image = label->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 60 && c.blue() < 60) ++red;
        }
    return red > image.height();
}

}  // namespace

class MainWindowEventsTest : public MainWindowFixture {
    Q_OBJECT

  private slots:
    // --- Events reach the model, and the window follows it -----------------------------------

    void openingAndChoosingFillsTheActivePage() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        Session s;
        s.files.answers.push_back(threeRecords_);
        s.find<QAction>("fo")->trigger();
        QCOMPARE(s.files.filtersSeen,
                 QStringList{QStringLiteral(
                     "問題ファイル(*.moj)|*.moj|自作の問題 (*.csv)|*.csv;*.tsv;*.txt|")});
        auto* combo = s.find<QComboBox>("Combo1");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("見出し2"));
        QCOMPARE(combo->currentText(), QStringLiteral("見出しを選択"));

        // One key press is one heading choice: the first record goes onto the right page only.
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(s.model.currentRecord(), qint16(0));
        QCOMPARE(s.label(Label2, 3)->text(), QStringLiteral("漢字3"));
        QCOMPARE(s.label(Label3, 3)->text(), QStringLiteral("前0の3漢字3後3。"));
        QVERIFY(s.label(Label6, 0)->text().isEmpty());
        QCOMPARE(s.find<QLabel>("Label51")->text(), QStringLiteral("小テスト 1"));
        QCOMPARE(s.find<QLabel>("Label52")->text(), QStringLiteral("小テスト"));
        QCOMPARE(s.find<QLineEdit>("Text3")->text(), QStringLiteral("小テスト"));
        QVERIFY(!s.find<QWidget>("Image1")->isVisible());
        QVERIFY(s.find<QWidget>("Image2")->isVisible());
        QCOMPARE(s.topmostAt("Image3")->objectName(), QStringLiteral("Image4"));
        auto* command1 = s.find<QToolButton>("Command1");
        QCOMPARE(command1->text(), QStringLiteral("ＭＳ 明朝"));
        QVERIFY(command1->isEnabled());
        QVERIFY(s.find<QToolButton>("Command2")->isEnabled());
        QVERIFY(s.find<QAction>("prt")->isEnabled());

        // A pick with the mouse in the drop-down list goes onto the left page.
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect item = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(s.model.currentRecord(), qint16(1));
        QCOMPARE(s.label(Label5, 0)->text(), QStringLiteral("漢字0"));
        QCOMPARE(s.find<QLabel>("Label52")->text(), QStringLiteral("小テスト 2"));
        QCOMPARE(command1->text(), QStringLiteral("@ＭＳ 明朝"));
        QVERIFY(s.find<QWidget>("Image1")->isVisible());
        // The left page was filled while greyed; it stays greyed.
        QVERIFY(s.pageEnabled(Label4, false));
    }

    void iconClicksSwitchSelectAndClearPages() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        Session s;
        s.model.openFile(threeRecords_);
        s.model.chooseHeading(0);

        // Icon B shows through on the right page; a click on it clears that page.
        s.clickAt("Image3");
        for (int row = 0; row < kRows; ++row) {
            QVERIFY(s.label(Label2, row)->text().isEmpty());
            QVERIFY(s.label(Label3, row)->text().isEmpty());
            QCOMPARE(s.label(Label1, row)->text(), QString::number(row + 1));
        }
        QCOMPARE(s.topmostAt("Image4")->objectName(), QStringLiteral("Image3"));
        QCOMPARE(s.find<QLabel>("Label51")->text(), QStringLiteral("小テスト"));
        QVERIFY(s.find<QWidget>("Image1")->isVisible());

        // The hidden pointer of the left page takes no click.
        QVERIFY(s.topmostAt("Image2") != s.find<QWidget>("Image2"));
        // The visible pointer hands the active page over and greys the other page.
        s.clickAt("Image1");
        QVERIFY(s.find<QWidget>("Image2")->isVisible());
        QVERIFY(s.pageEnabled(Label1, false));
        QVERIFY(s.pageEnabled(Label4, true));

        // Icon A of the right page selects it and empties its title.
        s.clickAt("Image3");
        QVERIFY(s.find<QWidget>("Image1")->isVisible());
        QVERIFY(s.find<QLabel>("Label51")->text().isEmpty());
        QVERIFY(s.pageEnabled(Label1, true));
    }

    void titleBoxAndSwitchesReachTheModel() {
        Session s;
        auto* text3 = s.find<QLineEdit>("Text3");
        // Japanese comes in through the input method, the rest as keys.
        text3->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("漢字テスト"));
        QApplication::sendEvent(text3, &commit);
        QTest::keyClicks(text3, QStringLiteral(" 2"));
        QCOMPARE(s.model.text3(), QStringLiteral("漢字テスト 2"));
        QCOMPARE(s.find<QLabel>("Label51")->text(), QStringLiteral("漢字テスト 2"));
        QCOMPARE(s.find<QLabel>("Label52")->text(), QStringLiteral("漢字テスト 2"));
        // A title set by the model shows in the box, and the cursor stays where the user left it.
        text3->setCursorPosition(2);
        s.model.setText3(QStringLiteral("別&題"));
        QCOMPARE(text3->text(), QStringLiteral("別&題"));
        QCOMPARE(s.find<QLabel>("Label51")->text(), QStringLiteral("別&題"));

        QTest::mouseClick(s.find<QCheckBox>("Check2"), Qt::LeftButton);
        QCOMPARE(s.model.check2(), 1);
        QCOMPARE(s.model.check1(), 0);
        s.model.setCheck(1, 1);
        QVERIFY(s.find<QCheckBox>("Check1")->isChecked());
        QTest::mouseClick(s.find<QCheckBox>("Check1"), Qt::LeftButton);
        QCOMPARE(s.model.check1(), 0);
    }

    void fontPrintAndMenuCommands() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        Session s;
        s.model.openFile(threeRecords_);
        s.model.chooseHeading(0);
        const QString sentence = s.label(Label3, 0)->text();

        // The file's face is not installed: the button says which face prints instead.
        QVERIFY(
            s.find<QToolButton>("Command1")
                ->toolTip()
                .endsWith(QStringLiteral("\n「ＭＳ 明朝」がないため、「IPAMincho」で印刷します")));
        s.fonts.answers.push_back(FontChoice{QStringLiteral("@IPAexMincho"), 12, true, false});
        QTest::mouseClick(s.find<QToolButton>("Command1"), Qt::LeftButton);
        QCOMPARE(s.find<QToolButton>("Command1")->text(), QStringLiteral("@IPAexMincho"));
        QVERIFY(!s.find<QToolButton>("Command1")->toolTip().contains(QStringLiteral("がないため")));

        // Printing from the button and from the menu both leave the sentences as they were.
        s.printer.answers.push_back({});
        QTest::mouseClick(s.find<QToolButton>("Command2"), Qt::LeftButton);
        s.printer.answers.push_back({});
        s.find<QAction>("prt")->trigger();
        QCOMPARE(s.printer.shown, 2);
        QVERIFY(s.surface.lines().filter(QStringLiteral("\"①\"")).size() >= 2);
        QCOMPARE(s.label(Label3, 0)->text(), sentence);

        s.find<QAction>("onl")->trigger();
        QCOMPARE(s.browser.opened, QStringList{SheetModel::homePage()});
        s.find<QAction>("vv")->trigger();
        QCOMPARE(s.browser.opened.size(), 1);
        QVERIFY(s.messages.shown.isEmpty());

        QVERIFY(s.window.isVisible());
        s.find<QAction>("ed")->trigger();
        QVERIFY(!s.window.isVisible());
    }

    // Each page's test choices through the window: the strip's boxes and buttons, the marks on
    // the item numbers, the test and file menus and the review dialog. None of them moves a
    // designed control.
    void testChoicesReachTheModel() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        const auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); };
        const auto items = [](Session& s, int page) {
            QList<ItemRef> out;
            for (int row = 0; row < kRows; ++row) out << s.model.itemAt(page, row);
            return out;
        };
        const QList<ItemRef> none(kRows - 2);
        const PageItems heading = headingItems(0);
        const QList<ItemRef> ownOrder(heading.begin(), heading.end());
        struct Case {
            const char* what;
            std::function<void(Session&)> act;
            std::function<bool(Session&)> holds;
        };
        const Case cases[] = {
            {"the flip box flips the right page",
             [&](Session& s) { click(s.find<QWidget>("Flip1")); },
             [](Session& s) {
                 return s.model.variant(0).flipped && !s.model.variant(1).flipped &&
                        s.label(Label2, 0)->text() == "こたえ0" &&
                        s.label(Label3, 0)->text() == "前0の0こたえ0後0。" &&
                        s.find<QAction>("fr")->isChecked() && !s.find<QAction>("fl")->isChecked();
             }},
            {"the menu flips the left page", [](Session& s) { s.find<QAction>("fl")->trigger(); },
             [](Session& s) {
                 return s.model.variant(1).flipped && s.find<QCheckBox>("Flip2")->isChecked() &&
                        s.label(Label5, 3)->text() == "こたえ3";
             }},
            {"clicks on numbers mark missed items",
             [&](Session& s) {
                 click(s.label(Label1, 2));
                 click(s.label(Label1, 5));
             },
             [](Session& s) {
                 return s.model.missed(0, 2) && s.model.missed(0, 5) && !s.model.missed(0, 0) &&
                        showsMissedMark(s.label(Label1, 5)) &&
                        !showsMissedMark(s.label(Label1, 0)) &&
                        s.label(Label1, 5)->accessibleName().contains("できなかった") &&
                        s.find<QWidget>("Retest1")->isEnabled() &&
                        s.find<QAction>("rr")->isEnabled() &&
                        !s.find<QWidget>("Retest2")->isEnabled();
             }},
            {"a key and a screen reader mark as well",
             [](Session& s) {
                 s.label(Label1, 0)->setFocus();
                 QTest::keyClick(s.label(Label1, 0), Qt::Key_Space);
                 QAccessible::queryAccessibleInterface(s.label(Label1, 1))
                     ->actionInterface()
                     ->doAction(QAccessibleActionInterface::pressAction());
             },
             [](Session& s) { return s.model.missed(0, 0) && s.model.missed(0, 1); }},
            {"a second click takes the mark away",
             [&](Session& s) {
                 click(s.label(Label1, 2));
                 click(s.label(Label1, 2));
             },
             [](Session& s) {
                 return !s.model.missed(0, 2) && !showsMissedMark(s.label(Label1, 2)) &&
                        !s.find<QWidget>("Retest1")->isEnabled();
             }},
            {"再テスト keeps the marked items in order, then an empty row takes no mark",
             [&](Session& s) {
                 click(s.label(Label1, 5));
                 click(s.label(Label1, 2));
                 click(s.find<QWidget>("Retest1"));
                 click(s.label(Label1, 5));
             },
             [&](Session& s) {
                 return items(s, 0) == QList<ItemRef>{{0, 2}, {0, 5}} + none &&
                        s.label(Label2, 1)->text() == "漢字5" &&
                        s.label(Label2, 2)->text().isEmpty() &&
                        s.find<QLabel>("Label51")->text().endsWith("（再）") &&
                        !s.model.missed(0, 5) && !s.find<QWidget>("Retest1")->isEnabled() &&
                        s.label(Label1, 5)->focusPolicy() == Qt::NoFocus;
             }},
            {"the greyed page takes no mark, and the status line says why",
             [&](Session& s) { click(s.label(Label4, 0)); },
             [](Session& s) {
                 const auto* line = s.window.findChild<QStatusBar*>();
                 return !s.model.missed(1, 0) && line &&
                        line->currentMessage().startsWith("このページは灰色");
             }},
            {"the order box reorders its page",
             [](Session& s) { s.find<SeedBox>("Shuffle1")->setValue(3); },
             [&](Session& s) {
                 return s.model.variant(0).seed == 3 && s.model.variant(1).seed == 0 &&
                        items(s, 0) != ownOrder && s.find<SeedBox>("Shuffle2")->text() == "元の順";
             }},
            {"the order box shows and takes every seed a set may hold",
             [](Session& s) {
                 s.model.setShuffleSeed(1, 4294967295u);
                 auto* box = s.find<SeedBox>("Shuffle1");
                 box->findChild<QLineEdit*>()->setText("4294967294");
                 Q_EMIT box->editingFinished();
             },
             [](Session& s) {
                 return s.model.variant(0).seed == 4294967294u &&
                        s.find<SeedBox>("Shuffle2")->text() == "4294967295";
             }},
            {"まとめテスト composes what the dialog chose",
             [](Session& s) {
                 s.review.answers.push_back(QList<ItemRef>{{0, 1}, {2, 4}});
                 s.find<QAction>("rv")->trigger();
             },
             [&](Session& s) {
                 return s.review.headingsSeen.size() == 1 &&
                        items(s, 0) == QList<ItemRef>{{0, 1}, {2, 4}} + none &&
                        s.find<QLabel>("Label51")->text() == "小テスト 1〜3";
             }},
            {"the set entries ask for set files",
             [](Session& s) {
                 s.find<QAction>("tss")->trigger();
                 s.find<QAction>("tso")->trigger();
             },
             [](Session& s) {
                 return s.files.saveFiltersSeen == QStringList{text::kSetFilter} &&
                        s.files.filtersSeen == QStringList{text::kSetFilter};
             }},
        };
        for (const Case& c : cases) {
            Session s;
            s.model.openFile(threeRecords_);
            s.model.chooseHeading(0);
            s.model.chooseHeading(1);
            QVERIFY2(!s.find<QWidget>("Retest1")->isEnabled(), c.what);
            c.act(s);
            QVERIFY2(c.holds(s), c.what);
            for (const DesignedPlace& d : kDesigned) {
                const QRect at = s.find<QWidget>(d.name)->geometry();
                const QRect designed(s.px(d.left), s.px(d.top), s.px(d.width),
                                     d.height ? s.px(d.height) : at.height());
                QVERIFY2(at == designed, d.name);
            }
            for (int a = 0; a < kLabelArrays; ++a)
                for (int row = 0; row < kRows; ++row) {
                    const DesignedPlace& d = kDesignedArrays[a];
                    QCOMPARE(
                        s.label(LabelArray(a), row)->geometry(),
                        QRect(s.px(d.left), s.px(1560 + 500 * row), s.px(d.width), s.px(d.height)));
                }
            // The page strip lies under the design, each page's choices under that page.
            QCOMPARE(s.window.pageStrip()->y(), s.window.clientArea()->geometry().bottom() + 1);
            for (int page = 0; page < 2; ++page) {
                const int left = s.px(page == 0 ? 5880 : 360);
                for (const char* name : {"Flip", "Shuffle", "Retest"}) {
                    const QWidget* w = s.find<QWidget>(name + QString::number(page + 1));
                    QVERIFY2(w->x() >= left && w->geometry().right() < left + s.px(4935), name);
                    QVERIFY2(s.window.pageStrip()->rect().contains(w->geometry()), name);
                }
            }
        }

        // The review dialog draws from a range of headings, ten items at most.
        Session s;
        s.model.openFile(threeRecords_);
        ReviewItemsDialog dialog(s.model.table(), s.model.combo1List());
        dialog.firstBox()->setValue(2);
        dialog.lastBox()->setValue(3);
        dialog.countBox()->setValue(4);
        dialog.seedBox()->setValue(7);
        click(dialog.findChild<QPushButton*>("drawItems"));
        const QList<ItemRef> drawn = drawItems(s.model.table(), 1, 2, 4, 7);
        QCOMPARE(drawn.size(), 4);
        QCOMPARE(dialog.ticked(), drawn);
        QVERIFY(dialog.countLabel()->text().endsWith("4 / 10"));
        for (int i = 0; i < 10; ++i) dialog.tick(ItemRef{0, qint16(i)}, i < 6);
        QCOMPARE(dialog.ticked().size(), 10);
        QVERIFY(!dialog.tick(ItemRef{0, 9}, true));
        QCOMPARE(dialog.ticked().first(), (ItemRef{0, 0}));
        QVERIFY(dialog.countLabel()->text().endsWith("10 / 10"));
    }
};

QTEST_MAIN(MainWindowEventsTest)
#include "test_mainwindow_events.moc"
