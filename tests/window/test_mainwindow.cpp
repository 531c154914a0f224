#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "mainwindow.h"
#include "modelfixture.h"
#include "mojfile.h"
#include "pobeloconfig.h"
#include "qtservices.h"
#include "questionfile.h"
#include "recordingsurface.h"
#include "reviewdialog.h"
#include "scripted.h"
#include "seedbox.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// The real window over a model with scripted dialogs.
struct Session : ModelFixture {
    MainWindow window{model};

    Session() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    // A length in twips as pixels, from the window's logical dpi.
    int px(int twips) const { return qRound(twips * window.logicalDpiY() / 1440.0); }
    template <typename T>
    T* find(const QString& name) const {
        return window.findChild<T*>(name);
    }
    QLabel* label(LabelArray array, int row) const { return window.arrayLabel(array, row); }
    // The topmost control at the centre of a control's place, as a mouse click finds it.
    QWidget* topmostAt(const QString& name) const {
        const QWidget* control = find<QWidget>(name);
        return window.clientArea()->childAt(control->geometry().center());
    }
    void clickAt(const QString& name) const {
        QWidget* target = topmostAt(name);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }
    bool pageEnabled(LabelArray first, bool enabled) const {
        for (int a = first; a < first + 3; ++a)
            for (int row = 0; row < kRows; ++row)
                if (label(LabelArray(a), row)->isEnabled() != enabled) return false;
        return true;
    }
};

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

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString threeRecords_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        threeRecords_ = dir_.filePath(QStringLiteral("three.moj"));
        QVERIFY(writeFile(threeRecords_, threeRecordsBytes()));
    }

    // --- The designed window -----------------------------------------------------------------

    void everyControlTheModelNamesIsThereInsideTheWindow() {
        Session s;
        QStringList names{"Label51",  "Label52", "Check1", "Check2", "Command1",
                          "Command2", "Text3",   "Combo1", "Label7", "Label8"};
        for (int n = 1; n <= 6; ++n) names << QStringLiteral("Image%1").arg(n);
        const QRect client = s.window.clientArea()->rect();
        for (const QString& name : names) {
            const QWidget* control = s.find<QWidget>(name);
            QVERIFY2(control, qPrintable(name));
            QVERIFY2(client.contains(control->geometry()), qPrintable(name));
        }
        for (int a = 0; a < kLabelArrays; ++a) {
            for (int row = 0; row < kRows; ++row) {
                const QLabel* label = s.label(LabelArray(a), row);
                QVERIFY(label);
                QCOMPARE(label->objectName(), QStringLiteral("Label%1").arg(a + 1));
                QCOMPARE(label->property("index").toInt(), row);
                QVERIFY(client.contains(label->geometry()));
                // A face with Japanese glyphs, or every caption shows as boxes.
                QVERIFY2(QFontDatabase::writingSystems(label->font().family())
                             .contains(QFontDatabase::Japanese),
                         qPrintable(label->font().family()));
            }
        }
        for (const char* action : {"fo", "prt", "pv", "pdf", "ed", "onl", "vv"})
            QVERIFY2(s.find<QAction>(action), action);
    }

    void rowsStepEvenlyAndControlsDoNotOverlap() {
        Session s;
        // Each label array is one column of rows at one pitch, and the six arrays share it.
        const int top = s.label(Label1, 0)->y();
        const double pitch = (s.label(Label1, kRows - 1)->y() - top) / double(kRows - 1);
        QVERIFY(pitch > s.label(Label3, 0)->height());
        for (int a = 0; a < kLabelArrays; ++a) {
            for (int row = 0; row < kRows; ++row) {
                const QLabel* label = s.label(LabelArray(a), row);
                QCOMPARE(label->x(), s.label(LabelArray(a), 0)->x());
                QVERIFY(qAbs(label->y() - top - pitch * row) <= 1);
            }
        }
        // No two visible controls cover each other by more than a rounding pixel, but the
        // blank-sheet icons that lie over the written-sheet icons.
        QList<QWidget*> controls;
        for (QWidget* w :
             s.window.clientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible()) controls << w;
        QVERIFY(controls.size() > 60);
        const QSet<QString> stacked{"Image3+Image4", "Image5+Image6"};
        for (int i = 0; i < controls.size(); ++i) {
            for (int j = i + 1; j < controls.size(); ++j) {
                const QRect both = controls[i]->geometry() & controls[j]->geometry();
                if (both.width() <= 1 || both.height() <= 1) continue;
                QStringList pair{controls[i]->objectName(), controls[j]->objectName()};
                pair.sort();
                QVERIFY2(stacked.contains(pair.join('+')), qPrintable(pair.join(" over ")));
            }
        }
    }

    void startShowsAnEmptySheetWithTheRightPageActive() {
        Session s;
        QCOMPARE(s.window.windowTitle(),
                 QStringLiteral("Pobelo―小テスト作成ツール―（Orvaneファイル専用）"));
        for (int row = 0; row < kRows; ++row) {
            QCOMPARE(s.label(Label1, row)->text(), QString::number(row + 1));
            QCOMPARE(s.label(Label4, row)->text(), QString::number(row + 1));
            for (LabelArray a : {Label2, Label3, Label5, Label6})
                QVERIFY(s.label(a, row)->text().isEmpty());
        }
        QVERIFY(s.pageEnabled(Label1, true));
        QVERIFY(s.pageEnabled(Label4, false));
        QVERIFY(s.find<QWidget>("Image1")->isVisible());
        QVERIFY(!s.find<QWidget>("Image2")->isVisible());
        for (const char* icon : {"Image3", "Image4", "Image5", "Image6"}) {
            QVERIFY2(s.find<QWidget>(icon)->isVisible(), icon);
        }
        // The blank-sheet icons lie over the written-sheet icons.
        QCOMPARE(s.topmostAt("Image4")->objectName(), QStringLiteral("Image3"));
        QCOMPARE(s.topmostAt("Image6")->objectName(), QStringLiteral("Image5"));
        auto* command1 = s.find<QToolButton>("Command1");
        QCOMPARE(command1->text(), QStringLiteral("Font"));
        QVERIFY(!command1->isEnabled());
        QCOMPARE(s.find<QToolButton>("Command2")->text(), QStringLiteral("Print"));
        QVERIFY(!s.find<QToolButton>("Command2")->isEnabled());
        QVERIFY(!s.find<QAction>("prt")->isEnabled());
        auto* combo = s.find<QComboBox>("Combo1");
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->currentText(), QStringLiteral("見出しを選択"));
        QCOMPARE(combo->count(), 0);
        QVERIFY(s.find<QLineEdit>("Text3")->text().isEmpty());
        QVERIFY(!s.find<QCheckBox>("Check1")->isChecked());
        QVERIFY(!s.find<QCheckBox>("Check2")->isChecked());
        QCOMPARE(s.find<QLabel>("Label9")->text(),
                 QStringLiteral("①ファイルメニューから【開く】で（.moj）ファイルを選択\n"
                                "②上のコンボボックスから問題を表示"));
        // The window is cut a little below the usage texts.
        const int clientHeight = s.window.clientArea()->height();
        QVERIFY2(clientHeight >= s.px(6975) && clientHeight < s.px(7400),
                 qPrintable(QString::number(clientHeight)));
    }

    void itemNumbersFitTheirBoxes() {
        // The digits' ink stands inside each green box, clear of its frame, in the middle.
        Session s;
        for (LabelArray array : {Label1, Label4}) {
            for (int row = 0; row < kRows; ++row) {
                QLabel* label = s.label(array, row);
                const QImage image = label->grab().toImage();
                const qreal dpr = image.devicePixelRatio();
                const QRect inside = QRectF(QPointF(label->contentsRect().topLeft()) * dpr,
                                            QSizeF(label->contentsRect().size()) * dpr)
                                         .toRect();
                QRect ink;
                for (int y = inside.top(); y <= inside.bottom(); ++y)
                    for (int x = inside.left(); x <= inside.right(); ++x)
                        if (qGray(image.pixel(x, y)) < 160) ink |= QRect(x, y, 1, 1);
                const QString seen = QString("%1 row %2: ink %3..%4 in %5..%6")
                                         .arg(label->objectName())
                                         .arg(row)
                                         .arg(ink.top())
                                         .arg(ink.bottom())
                                         .arg(inside.top())
                                         .arg(inside.bottom());
                QVERIFY2(!ink.isEmpty(), qPrintable(seen));
                QVERIFY2(ink.top() > inside.top() && ink.bottom() < inside.bottom(),
                         qPrintable(seen));
                QVERIFY2(std::abs(ink.center().y() - inside.center().y()) <= dpr, qPrintable(seen));
            }
        }
    }

    void menusCarryTheirCaptionsInOrder() {
        Session s;
        const auto names = [](const QMenu* menu) {
            QStringList out;
            for (const QAction* a : menu->actions()) {
                out << (a->menu() ? a->menu()->objectName() : a->objectName());
            }
            return out;
        };
        QStringList top;
        for (const QAction* a : s.window.menuBar()->actions()) top << a->menu()->objectName();
        QCOMPARE(top, (QStringList{"f", "tm", "pm", "hp"}));
        QCOMPARE(names(s.find<QMenu>("pm")), (QStringList{"fit", "key", "paper"}));
        // One paper at a time, A4 until another is chosen.
        QCOMPARE(names(s.find<QMenu>("paper")), (QStringList{"paperA4", "paperB4", "paperA3"}));
        QVERIFY(s.find<QAction>("paperA4")->isChecked());
        s.find<QAction>("paperB4")->trigger();
        QVERIFY(!s.find<QAction>("paperA4")->isChecked());
        s.window.showPaper(Paper::A3);
        QVERIFY(!s.find<QAction>("paperB4")->isChecked());
        QVERIFY(s.find<QAction>("paperA3")->isChecked());
        // The fit is a setting of the window's model, on until it is switched off.
        QVERIFY(s.find<QAction>("fit")->isCheckable());
        s.find<QAction>("fit")->trigger();
        QVERIFY(s.model.fitEnabled());
        s.find<QAction>("fit")->trigger();
        QVERIFY(!s.model.fitEnabled());
        QCOMPARE(names(s.find<QMenu>("f")),
                 (QStringList{"fo", "tso", "tss", "s2", "prt", "pv", "pdf", "s1", "ed"}));
        QCOMPARE(names(s.find<QMenu>("tm")),
                 (QStringList{"fr", "fl", "s4", "rv", "s5", "rr", "rl"}));
        QCOMPARE(names(s.find<QMenu>("hp")), (QStringList{"onl", "ad", "s3", "about", "aboutQt"}));
        QCOMPARE(names(s.find<QMenu>("ad")), (QStringList{"vv"}));
        QVERIFY(s.find<QAction>("s1")->isSeparator());
        QVERIFY(s.find<QAction>("s2")->isSeparator());
        QVERIFY(s.find<QAction>("s3")->isSeparator());
    }

    // Every caption keeps its text; the access key only adds "(&X)" after it.
    void menuCaptionsAndAccessKeys_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessKey");
        QTest::addColumn<QString>("shortcut");
        const auto row = [](const char* name, const char* caption, const char* key,
                            const char* shortcut = "") {
            QTest::newRow(name) << name << QString::fromUtf8(caption) << key << shortcut;
        };
        row("f", "ファイル", "Alt+F");
        row("fo", "開く", "Alt+O", "Ctrl+O");
        row("prt", "印刷", "Alt+P", "Ctrl+P");
        row("pv", "印刷プレビュー", "Alt+V", "Ctrl+Shift+P");
        row("pdf", "PDFに保存…", "Alt+D");
        row("ed", "終了", "Alt+X", "Ctrl+Q");
        row("tso", "テストセットを開く…", "Alt+T");
        row("tss", "テストセットを保存…", "Alt+S");
        row("tm", "テスト", "Alt+T");
        row("fr", "右ページを書き⇄読み", "Alt+R");
        row("fl", "左ページを書き⇄読み", "Alt+L");
        row("rv", "まとめテストを作る…", "Alt+M");
        row("rr", "右ページを再テストに", "Alt+E");
        row("rl", "左ページを再テストに", "Alt+G");
        row("pm", "印刷", "Alt+P");
        row("fit", "はみ出しを防ぐ", "Alt+F");
        row("key", "問題と解答を印刷", "Alt+K");
        row("paper", "用紙", "Alt+S");
        row("paperA4", "A4", "Alt+4");
        row("paperB4", "B4（JIS）", "Alt+B");
        row("paperA3", "A3", "Alt+3");
        row("hp", "ヘルプ", "Alt+H");
        row("onl", "WendroWebサイトへ", "Alt+W");
        row("ad", "バージョン情報", "Alt+V");
        row("vv", "Pobelo　2009JAN　V.1_0_0", "");
        row("about", "Pobelo について", "Alt+A");
        row("aboutQt", "Qt について", "Alt+Q");
    }
    void menuCaptionsAndAccessKeys() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, accessKey);
        QFETCH(QString, shortcut);
        Session s;
        const QMenu* menu = s.find<QMenu>(name);
        const QAction* action = menu ? menu->menuAction() : s.find<QAction>(name);
        QVERIFY(action);
        QString shown = action->text();
        shown.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        QCOMPARE(shown, caption);
        QCOMPARE(QKeySequence::mnemonic(action->text()), QKeySequence(accessKey));
        QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    }

    // Keys on the window reach the model as the mouse would, and an access key never lands in
    // the title box as text.
    void keysReachTheModel() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        struct Case {
            const char* what;
            const char* focus;  // the control with the keyboard focus
            QKeySequence keys;
            std::function<bool(Session&)> happened;
        };
        const Case cases[] = {
            {"Ctrl+O opens", "Text3", QKeySequence(QStringLiteral("Ctrl+O")),
             [](Session& s) { return s.files.filtersSeen.size() == 1; }},
            {"Ctrl+P prints", "Text3", QKeySequence(QStringLiteral("Ctrl+P")),
             [](Session& s) { return s.printer.shown == 1; }},
            {"Ctrl+Q quits", "Combo1", QKeySequence(QStringLiteral("Ctrl+Q")),
             [](Session& s) { return !s.window.isVisible(); }},
            {"Alt+F opens the file menu", "Text3", QKeySequence(QStringLiteral("Alt+F")),
             [](Session& s) {
                 return s.find<QMenu>("f")->isVisible() && s.model.text3() == "小テスト";
             }},
            {"Alt+K types nothing", "Text3", QKeySequence(QStringLiteral("Alt+K")),
             [](Session& s) { return s.model.text3() == "小テスト"; }},
            {"Space on the hand switches pages", "Image2", QKeySequence(Qt::Key_Space),
             [](Session& s) { return s.model.rightPageActive(); }},
            {"Enter on the written sheet clears the page", "Image4", QKeySequence(Qt::Key_Return),
             [](Session& s) { return s.model.caption(Label2, 0).isEmpty(); }},
        };
        for (const Case& c : cases) {
            Session s;
            s.window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&s.window));
            s.model.openFile(threeRecords_);
            s.model.chooseHeading(0);
            s.printer.answers.push_back({});
            s.files.answers.push_back(threeRecords_);
            QWidget* focus = s.find<QWidget>(c.focus);
            QVERIFY2(focus->focusPolicy() != Qt::NoFocus, c.what);
            focus->setFocus();
            QTest::keySequence(focus, c.keys);
            QVERIFY2(QTest::qWaitFor([&] { return c.happened(s); }, 1000), c.what);
            if (auto* menu = s.find<QMenu>("f")) menu->close();
        }
    }

    // Every icon, button and box has a name and a tooltip; a screen reader presses an icon as a
    // click would, and Tab reaches only the icons a click reaches.
    void controlsSpeakToScreenReaders() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        Session s;
        QSet<QString> names;
        for (const char* name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6",
                                 "Command1", "Command2", "Text3", "Combo1", "Check1", "Check2",
                                 "Flip1", "Flip2", "Shuffle1", "Shuffle2", "Retest1", "Retest2"}) {
            QWidget* control = s.find<QWidget>(name);
            QVERIFY2(!control->toolTip().isEmpty(), name);
            QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(reader, name);
            const QString spoken = reader->text(QAccessible::Name);
            QVERIFY2(!spoken.isEmpty() && !names.contains(spoken), name);
            names.insert(spoken);
            if (QByteArray(name).startsWith("Image")) {
                QCOMPARE(reader->role(), QAccessible::Button);
            }
        }
        // Tab goes the way a sheet is made and passes over what takes no click.
        s.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        s.find<QWidget>("Combo1")->setFocus();
        QStringList tabbed;
        for (int i = 0; i < 7; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (qobject_cast<QComboBox*>(focus->parentWidget())) focus = focus->parentWidget();
            tabbed << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(tabbed, (QStringList{"Combo1", "Text3", "Image1", "Check1", "Image3", "Check2",
                                      "Image5"}));
        QVERIFY(s.find<QWidget>("Image4")->focusPolicy() == Qt::NoFocus);  // under Image3
        s.model.openFile(threeRecords_);
        s.model.chooseHeading(0);
        QVERIFY(s.find<QWidget>("Image4")->focusPolicy() != Qt::NoFocus);
        QAccessibleInterface* hand =
            QAccessible::queryAccessibleInterface(s.find<QWidget>("Image2"));
        hand->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(s.model.rightPageActive());
        QCOMPARE(QAccessible::queryAccessibleInterface(s.find<QWidget>("Command1"))
                     ->text(QAccessible::Name),
                 QStringLiteral("フォント ＭＳ 明朝"));
    }

    void aboutTellsVersionLicenceAndHomePage() {
        const QString text = aboutText();
        for (const QString& part :
             {QStringLiteral(POBELO_VERSION), QStringLiteral("MIT"), SheetModel::homePage()})
            QVERIFY2(text.contains(part), qPrintable(part));
    }

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

    // --- The desktop dialogs -----------------------------------------------------------------

    void fileFilterInQtForm_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("question files") << "問題ファイル(*.moj)|*.moj|"
                                        << "問題ファイル (*.moj)";
        QTest::newRow("the open dialog's")
            << text::kFileFilter << "問題ファイル (*.moj);;自作の問題 (*.csv *.tsv *.txt)";
        QTest::newRow("two filters, several patterns") << "テキスト|*.txt;*.csv|すべて (*.*)|*.*"
                                                       << "テキスト (*.txt *.csv);;すべて (*.*)";
        QTest::newRow("no pattern") << "何か||"
                                    << "何か (*)";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("sheet sets") << "テストセット(*.pobelo-set)|*.pobelo-set|"
                                    << "テストセット (*.pobelo-set)";
    }
    void fileFilterInQtForm() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(toQtFileFilter(filter), expected);
        // A name saved without the filter's extension gets it.
        const QString suffix = firstFilterSuffix(filter);
        QCOMPARE(withFilterSuffix(QStringLiteral("/tmp/第1.2回"), filter),
                 suffix.isEmpty() ? QStringLiteral("/tmp/第1.2回")
                                  : QStringLiteral("/tmp/第1.2回.") + suffix);
        QCOMPARE(withFilterSuffix(QStringLiteral("a.") + suffix.toUpper(), filter),
                 QStringLiteral("a.") + suffix.toUpper());
    }

    void fontDialogOpensOnThePresetAndOffersVerticalFaces_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("shown");  // the entry the dialog opens on
        QTest::newRow("a Windows face") << "ＭＳ Ｐゴシック" << 5 << "ＭＳ Ｐゴシック";
        QTest::newRow("a Japanese name") << "IPAex明朝" << 4 << "IPAex明朝";
        QTest::newRow("another name of the face") << "IPAexMincho" << 4 << "IPAex明朝";
        QTest::newRow("a vertical face") << "@IPAPGothic" << 4 << "@IPA Pゴシック";
    }
    void fontDialogOpensOnThePresetAndOffersVerticalFaces() {
        QFETCH(QString, preset);
        QFETCH(int, entries);
        QFETCH(QString, shown);
        if (resolveFace(QStringLiteral("IPAexMincho")).match != FaceMatch::Named ||
            resolveFace(QStringLiteral("IPAPGothic")).match != FaceMatch::Named)
            QSKIP("the IPA fonts are needed");
        const FontChoice start{preset, 9.0f, false, true};
        // Faces are listed by their Japanese names.
        FontPickerDialog dialog({{QStringLiteral("IPAexMincho"), QStringLiteral("IPAex明朝")},
                                 {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")}},
                                start);
        QListWidget* faces = dialog.faceList();
        QCOMPARE(faces->count(), entries);
        QVERIFY(!faces->findItems(QStringLiteral("@IPAex明朝"), Qt::MatchExactly).isEmpty());
        QVERIFY(!faces->findItems(QStringLiteral("@IPA Pゴシック"), Qt::MatchExactly).isEmpty());
        QCOMPARE(dialog.choice(), std::optional<FontChoice>(FontChoice{shown, 9.0f, false, true}));

        faces->setCurrentItem(
            faces->findItems(QStringLiteral("@IPA Pゴシック"), Qt::MatchExactly)[0]);
        dialog.sizeBox()->setEditText(QStringLiteral("14.25"));
        dialog.boldBox()->setChecked(true);
        dialog.italicBox()->setChecked(false);
        const FontChoice picked{QStringLiteral("@IPA Pゴシック"), 14.25f, true, false};
        QCOMPARE(dialog.choice(), std::optional<FontChoice>(picked));

        dialog.sizeBox()->setEditText(QStringLiteral("0"));
        QVERIFY(!dialog.choice());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
