// The question editor as a teacher without a drill program's file uses it: a sentence typed and
// its word marked, a suggested reading shown as one, rows pasted from Excel, a finding at once,
// undo, Ctrl+S, and the main window printing the saved heading, flipped to 書き. Closing asks
// about unsaved changes, and the main window waits for the editor.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QtTest>

#include "filesystem.h"
#include "mainwindowsession.h"
#include "mecabanalyser.h"
#include "questioneditor.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// The main window with the editor's entries, over scripted dialogs of its own.
struct EditorSession : Session {
    ScriptedFileDialog editorFiles;
    ScriptedMessageBox editorMessages;
    QuestionEditorLauncher launcher{window, model, editorFiles, editorMessages};

    QuestionEditor* editor() const { return launcher.editor(); }
    template <typename T>
    T* inEditor(const QString& name) const {
        return editor()->findChild<T*>(name);
    }
    QString cell(int row, BookColumn column) const {
        return inEditor<QTableWidget>(QStringLiteral("rowsTable"))->item(row, int(column))->text();
    }
};

}  // namespace

class QuestionEditorTest : public MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY2(reading::sharedAnalyser().available(), "the IPADIC dictionary is not installed");
    }
    void cleanup() { forgetReadFiles(); }

    void makeSaveAndPrint() {
        EditorSession s;
        s.find<QAction>("own")->trigger();
        QVERIFY(s.editor() && s.editor()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(s.editor()));
        auto* rows = s.inEditor<QTableWidget>(QStringLiteral("rowsTable"));

        // A whole sentence typed, its word selected, Ctrl+U.
        auto* sentence = s.inEditor<QLineEdit>(QStringLiteral("sentenceBox"));
        sentence->setFocus();
        for (const QChar c : QStringLiteral("公園の池で魚をつる。"))
            QTest::sendKeyEvent(QTest::Click, sentence, Qt::Key_unknown, QString(c), {});
        sentence->setSelection(3, 1);
        QTest::keyClick(sentence, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(sentence->text(), QStringLiteral("公園の池で魚をつる。"));
        QCOMPARE(s.cell(0, BookColumn::Before), QStringLiteral("公園の"));
        QCOMPARE(s.cell(0, BookColumn::Asked), QStringLiteral("池"));
        QCOMPARE(s.cell(0, BookColumn::After), QStringLiteral("で魚をつる。"));
        QCOMPARE(s.cell(0, BookColumn::Answer), QStringLiteral("いけ"));
        // The reading is shown as a suggestion.
        QTableWidgetItem* answer = rows->item(0, int(BookColumn::Answer));
        QCOMPARE(answer->toolTip(), text::kSuggestedReading);
        QCOMPARE(answer->data(Qt::AccessibleDescriptionRole).toString(), text::kSuggestedReading);
        QVERIFY(answer->background().style() != Qt::NoBrush);
        QVERIFY(s.inEditor<QLabel>(QStringLiteral("notesLine"))
                    ->text()
                    .contains(QStringLiteral("読みの候補 1 問")));

        // Undone and done again.
        s.inEditor<QAction>(QStringLiteral("editorUndo"))->trigger();
        QVERIFY(s.cell(0, BookColumn::Asked).isEmpty());
        s.inEditor<QAction>(QStringLiteral("editorRedo"))->trigger();
        QCOMPARE(s.cell(0, BookColumn::Asked), QStringLiteral("池"));

        // Rows copied from Excel, from the second row on: a given answer is kept.
        QGuiApplication::clipboard()->setText(
            QStringLiteral("\t駅\tまで歩く。\t\r\nえんぴつを\t三本\t買った。\tさんぼん\r\n"));
        rows->setFocus();
        s.editor()->setCurrentRow(1);
        s.inEditor<QAction>(QStringLiteral("editorPaste"))->trigger();
        QCOMPARE(s.cell(1, BookColumn::Answer), QStringLiteral("えき"));
        QCOMPARE(s.cell(2, BookColumn::Asked), QStringLiteral("三本"));
        QVERIFY(rows->item(2, int(BookColumn::Answer))->toolTip().isEmpty());

        // A sentence too long for its column is told at once, and goes with an undo.
        auto* findings = s.inEditor<QLabel>(QStringLiteral("findingsLine"));
        QVERIFY(findings->text().isEmpty());
        rows->item(3, int(BookColumn::Before))->setText(QString(60, QChar(u'長')));
        QVERIFY2(findings->text().contains(QStringLiteral("④")), qPrintable(findings->text()));
        s.inEditor<QAction>(QStringLiteral("editorUndo"))->trigger();
        QVERIFY(findings->text().isEmpty());

        // Ctrl+S: the main window has the file open and the heading chosen.
        const QString path = dir_.filePath(QStringLiteral("自分の問題.csv"));
        s.editorFiles.saveAnswers.push_back(path);
        QTest::keyClick(rows, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(path));
        QVERIFY(!s.editor()->isWindowModified());
        QCOMPARE(s.model.questionFileName(), path);
        QCOMPARE(s.model.combo1List(), QStringList{QStringLiteral("自作の問題")});
        QCOMPARE(s.label(Label3, 0)->text(), QStringLiteral("公園の池で魚をつる。"));
        QVERIFY(s.find<QAction>("prt")->isEnabled());
        // 書き⇄読み turns the 読み item into a 書き one.
        s.find<QCheckBox>("Flip1")->click();
        QCOMPARE(s.label(Label3, 0)->text(), QStringLiteral("公園のいけで魚をつる。"));
        s.printer.answers.push_back({});
        s.find<QAction>("prt")->trigger();
        const QString printed = jobTexts(s.surface.lines()).join(QString());
        QVERIFY2(printed.contains(QStringLiteral("いけ")), qPrintable(printed));
    }

    // Closing with unsaved changes asks; キャンセル keeps the editor and the program, 保存しない
    // lets both go.
    void closingAsks() {
        EditorSession s;
        s.launcher.newBook();
        s.editor()->book().setText(0, BookColumn::Before, QStringLiteral("文"));
        QVERIFY(s.editor()->isWindowModified());
        QVERIFY(!s.editor()->close());
        QCOMPARE(s.editorMessages.asked.size(), 1);
        QVERIFY(!s.window.close());
        QVERIFY(s.window.isVisible());
        QVERIFY(s.editor()->isVisible());
        s.editorMessages.unsavedAnswers = {UnsavedAnswer::Discard};
        QVERIFY(s.window.close());
        QTRY_VERIFY(!s.editor());
    }

    // この見出しを自分の問題にする: the headings on the sheet, copied; the .moj stays as it was.
    void headingsCopied() {
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        EditorSession s;
        auto* copy = s.find<QAction>("ownCopy");
        QVERIFY(!copy->isEnabled());
        const QByteArray before = readAll(threeRecords_);
        s.model.openFile(threeRecords_);
        s.model.chooseHeading(2);
        s.model.chooseHeading(0);
        QVERIFY(copy->isEnabled());
        copy->trigger();
        auto* list = s.inEditor<QListWidget>(QStringLiteral("headingList"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("見出し2"));
        QCOMPARE(s.cell(3, BookColumn::Asked), QStringLiteral("漢字3"));
        QCOMPARE(s.editor()->book().path(), QString());
        QCOMPARE(readAll(threeRecords_), before);
    }

    // Every control the keyboard reaches says what it is, and the tab key reaches it.
    void controlsDescribed() {
        EditorSession s;
        s.launcher.newBook();
        for (const char* name :
             {"headingList", "headingAddButton", "headingRenameButton", "headingRemoveButton",
              "headingUpButton", "headingDownButton", "fontBox", "sentenceBox", "markButton",
              "rowsTable", "previewAnswers"}) {
            auto* w = s.inEditor<QWidget>(QLatin1String(name));
            QVERIFY2(w, name);
            QVERIFY2(!w->accessibleName().isEmpty(), name);
            QVERIFY2(!w->toolTip().isEmpty(), name);
            // The mark button leaves the selection where it is; Ctrl+U reaches it.
            QVERIFY2((w->focusPolicy() & Qt::TabFocus) || qstrcmp(name, "markButton") == 0, name);
        }
    }
};

QTEST_MAIN(QuestionEditorTest)
#include "test_questioneditor.moc"
