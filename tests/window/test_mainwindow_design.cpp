// The main window as designed: its controls at their places, captions, menus and access keys,
// the keyboard and screen readers; and the desktop dialogs it opens. (What the window's events do
// to the model is checked in test_mainwindow_events.)

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include "furnituredialog.h"
#include "livesheet.h"
#include "mainwindow.h"
#include "mainwindowsession.h"
#include "pobeloconfig.h"
#include "qtservices.h"
#include "questionfile.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

class MainWindowDesignTest : public MainWindowFixture {
    Q_OBJECT

  private slots:
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

    // 用紙の形 shows the sheet's furniture, gives back what is ticked, and offers the size, the
    // hiragana and each page's own instruction only with their element; every control is named
    // for a screen reader and explained.
    void furnitureDialogKeepsTheChoice() {
        SheetFurniture f;
        f.squares = true;
        f.squareMillimetres = 14;
        f.instructions[1] = QStringLiteral("ていねいに書こう。");
        FurnitureDialog dialog(f);
        QVERIFY(!dialog.box(FurnitureDialog::Instruction)->isChecked());
        QVERIFY(!dialog.kanaBox()->isEnabled());
        QVERIFY(!dialog.instructionEdit(1)->isEnabled());
        QVERIFY(dialog.sizeBox()->isEnabled());
        QCOMPARE(dialog.furniture(), f);
        dialog.box(FurnitureDialog::Instruction)->click();
        dialog.box(FurnitureDialog::CutLine)->click();
        dialog.box(FurnitureDialog::Squares)->click();
        QVERIFY(dialog.kanaBox()->isEnabled());
        QVERIFY(!dialog.sizeBox()->isEnabled());
        SheetFurniture expected = f;
        expected.instruction = expected.cutLine = true;
        expected.squares = false;
        QCOMPARE(dialog.furniture(), expected);
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QLineEdit*>(w)) {
                QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
                QVERIFY2(!w->accessibleName().isEmpty() || !qobject_cast<QAbstractButton*>(w) ||
                             !qobject_cast<QAbstractButton*>(w)->text().isEmpty(),
                         qPrintable(w->objectName()));
            }
            if (auto* label = qobject_cast<QLabel*>(w); label && !label->pixmap().isNull())
                QVERIFY(label->accessibleName().endsWith(QStringLiteral("の見本")));
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
        QCOMPARE(names(s.find<QMenu>("pm")),
                 (QStringList{"fit", "key", "keyMark", "furniture", "paper", "ruby"}));
        // The window marks its keys until the teacher says otherwise.
        QAction* keyMark = s.find<QAction>("keyMark");
        QVERIFY(keyMark->isCheckable());
        QVERIFY(keyMark->isChecked());
        QVERIFY(s.model.keyMark());
        keyMark->trigger();
        QVERIFY(!s.model.keyMark());
        s.model.setKeyMark(true);
        QVERIFY(keyMark->isChecked());
        // The live sheet's switch, by the keyboard: its buttons take the focus, Space chooses.
        auto* key = s.find<QRadioButton>("ShowKey");
        QVERIFY(key && !key->isChecked());
        QVERIFY(key->focusPolicy() != Qt::NoFocus);
        key->setFocus();
        QTest::keyClick(key, Qt::Key_Space);
        QVERIFY(s.window.liveSheet()->sheet()->showsKey());
        s.find<QRadioButton>("ShowSheet")->click();
        QVERIFY(!s.window.liveSheet()->sheet()->showsKey());
        // One ruby setting, none until another is chosen; the sheet holds it.
        QCOMPARE(names(s.find<QMenu>("ruby")), (QStringList{"rubynone", "ruby1", "ruby2", "ruby3",
                                                            "ruby4", "ruby5", "ruby6", "rubyall"}));
        QCOMPARE(s.find<QAction>("ruby2")->text(), QStringLiteral("2年生までに習わない漢字に(&2)"));
        QVERIFY(!s.find<QAction>("ruby2")->toolTip().isEmpty());
        QVERIFY(s.find<QAction>("rubynone")->isChecked());
        s.find<QAction>("ruby2")->trigger();
        QCOMPARE(s.model.sheet().ruby, RubySetting::Grade2);
        s.model.setRuby(RubySetting::All);
        QVERIFY(s.find<QAction>("rubyall")->isChecked());
        QVERIFY(!s.find<QAction>("ruby2")->isChecked());
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
                 (QStringList{"fo", "tso", "tss", "s2", "prt", "pv", "pdf", "keyPdf", "s1", "ed"}));
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
        row("keyPdf", "解答をPDFに保存…", "Alt+K");
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
        row("keyMark", "解答のページに「解答」と入れる", "Alt+M");
        row("furniture", "用紙の形…", "Alt+L");
        row("paper", "用紙", "Alt+S");
        row("ruby", "ふりがな", "Alt+R");
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

    // --- The desktop dialogs -----------------------------------------------------------------

    void fileFilterInQtForm_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("question files") << "問題ファイル(*.moj)|*.moj|"
                                        << "問題ファイル (*.moj)";
        QTest::newRow("the open dialog's")
            << text::kFileFilter << "問題ファイル (*.moj);;自作の問題 (*.csv *.tsv *.txt)";
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

QTEST_MAIN(MainWindowDesignTest)
#include "test_mainwindow_design.moc"
