// The question editor's model: a sentence split by a selection, readings as suggestions that a
// correction outlives, undo, paste, and a save that the main window opens as it was previewed.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "filesystem.h"
#include "mecabanalyser.h"
#include "modelfixture.h"
#include "questionbook.h"
#include "testtools.h"

using namespace pobelo;
using pobelo::test::readAll;

namespace {

struct Book {
    ScriptedFileDialog files;
    ScriptedMessageBox messages;
    QuestionBook book;
    explicit Book(const reading::Analyser* analyser = &reading::sharedAnalyser())
        : book({&files, &messages, analyser, nullptr}) {
        book.newBook();
    }
    // The row as "before|asked|after|answer".
    QString row(int r) const {
        const OwnItem i = book.item(r).item;
        return QStringList{i.before, i.asked, i.after, i.answer}.join(u'|');
    }
};

}  // namespace

class QuestionBookTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY2(reading::sharedAnalyser().available(), "the IPADIC dictionary is not installed");
    }
    void cleanup() {
        forgetReadFiles();
        platform::clearFailures();
    }

    // 傍線にする on a typed sentence, and a sentence typed again around its asked part.
    void splitBySelection_data() {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("retyped");  // then the whole sentence typed as this
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("mark");
        using M = AnswerMark;
        QTest::newRow("a word, its reading suggested")
            << "公園の池で魚をつる。" << 3 << 1 << ""
            << "公園の|池|で魚をつる。|いけ" << int(M::Suggested);
        QTest::newRow("spaces at the selection's ends stay outside")
            << "公園の 池 で" << 3 << 3 << ""
            << "公園の |池| で|いけ" << int(M::Suggested);
        QTest::newRow("kana asked: a 書き item, the answer for the teacher")
            << "川でおよぐ。" << 2 << 2 << ""
            << "川で|およ|ぐ。|" << int(M::KanaAsked);
        QTest::newRow("retyped around the asked part: it stays, read anew")
            << "公園の池で魚をつる。" << 3 << 1 << "大きな池でつる。"
            << "大きな|池|でつる。|いけ" << int(M::Suggested);
        QTest::newRow("retyped without it: waits for a mark")
            << "公園の池で魚をつる。" << 3 << 1 << "山に登る。"
            << "山に登る。|||" << int(M::Given);
        QTest::newRow("a typo in the asked part corrected")
            << "毎朝公円へ行く。" << 2 << 2 << "毎朝公園へ行く。"
            << "毎朝|公園|へ行く。|こうえん" << int(M::Suggested);
    }
    void splitBySelection() {
        QFETCH(QString, sentence);
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(QString, retyped);
        QFETCH(QString, row);
        QFETCH(int, mark);
        Book b;
        QVERIFY(b.book.markAsked(2, sentence, from, length));
        if (!retyped.isEmpty()) b.book.setSentence(2, retyped);
        QCOMPARE(b.row(2), row);
        QCOMPARE(int(b.book.item(2).mark), mark);
        QCOMPARE(b.row(1), QStringLiteral("|||"));
        // Nothing but spaces is no asked part.
        QVERIFY(!b.book.markAsked(3, QStringLiteral("山 に"), 1, 1));
        QCOMPARE(b.row(3), QStringLiteral("|||"));
    }

    // A suggestion follows its sentence; the teacher's answer is kept through every later fill;
    // every change is one step back, and undone to the save it is unmodified again.
    void suggestionsAndUndo() {
        Book b;
        b.book.markAsked(0, QStringLiteral("公園の池で魚をつる。"), 3, 1);
        QCOMPARE(b.book.answerNote(0), text::kSuggestedReading);
        b.book.markAsked(0, QStringLiteral("公園の池で魚をつる。"), 5, 1);
        QCOMPARE(b.row(0), QStringLiteral("公園の池で|魚|をつる。|さかな"));
        b.book.setText(0, BookColumn::Answer, QStringLiteral("うお"));
        QCOMPARE(int(b.book.item(0).mark), int(AnswerMark::Given));
        b.book.setText(0, BookColumn::Before, QStringLiteral("川で"));
        b.book.markAsked(0, QStringLiteral("川で魚をつる。"), 2, 1);
        QCOMPARE(b.row(0), QStringLiteral("川で|魚|をつる。|うお"));
        // A suggestion checked is the teacher's own.
        b.book.markAsked(1, QStringLiteral("駅まで走る。"), 3, 1);
        b.book.confirmReading(1);
        QCOMPARE(int(b.book.item(1).mark), int(AnswerMark::Given));
        QCOMPARE(b.book.suggestionCount(), 0);
        b.book.addHeading();
        QCOMPARE(b.book.current(), 1);
        QVERIFY(b.book.modified());

        const int steps = b.book.undoStack().count();
        QCOMPARE(steps, 7);
        b.book.undoStack().undo();
        QCOMPARE(b.book.current(), 0);
        QCOMPARE(b.book.headings().size(), 1);
        for (int i = 1; i < steps; ++i) b.book.undoStack().undo();
        QVERIFY(!b.book.modified());
        QCOMPARE(b.row(0), QStringLiteral("|||"));
        for (int i = 0; i < steps; ++i) b.book.undoStack().redo();
        QCOMPARE(b.book.current(), 1);
        b.book.choose(0);
        QCOMPARE(b.row(0), QStringLiteral("川で|魚|をつる。|うお"));
        QCOMPARE(b.book.headings().size(), 2);
    }

    // Paste: rows from a spreadsheet (with a header, without, or only the editor's columns) and
    // the notation; readings where no answer is given; a refusal names its line.
    void paste_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QStringList>("rows");  // the chosen heading's rows holding text
        QTest::addColumn<int>("suggested");
        QTest::addColumn<QString>("refused");
        const QString excel = QStringLiteral(
            "見出し\t前の文\t問題の部分\t後の文\t答え\t字体\r\n"
            "三年\t公園の\t池\tで遊ぶ。\t\t\r\n"
            "三年\t\tおよ\tぐ。\t泳\t\r\n");
        QTest::newRow("excel with a header")
            << excel << QStringList{"自作の問題", "三年"}
            << QStringList{"公園の|池|で遊ぶ。|いけ", "|およ|ぐ。|泳"} << 1 << "";
        QTest::newRow("the editor's own columns")
            << QStringLiteral("公園の\t池\tで遊ぶ。\r\n\t駅\tまで歩く。\tえき\r\n")
            << QStringList{"自作の問題"}
            << QStringList{"公園の|池|で遊ぶ。|いけ", "|駅|まで歩く。|えき"} << 1 << "";
        QTest::newRow("notation, a heading named")
            << QStringLiteral("[今日]は晴れ。\n# 二組\n[三日]後に会う。\n友達と[遊|あそ]ぶ。\n")
            << QStringList{"自作の問題", "二組"} << QStringList{"|今日|は晴れ。|きょう"} << 2 << "";
        QTest::newRow("refused at its line")
            << QStringLiteral("[池]で遊ぶ。\n池で遊ぶ。\n") << QStringList{"自作の問題"}
            << QStringList{} << 0 << "2 行目";
    }
    void paste() {
        QFETCH(QString, text);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, rows);
        QFETCH(int, suggested);
        QFETCH(QString, refused);
        Book b;
        QCOMPARE(b.book.paste(text), refused.isEmpty());
        QStringList names;
        for (const BookHeading& h : b.book.headings()) names << h.name;
        QCOMPARE(names, headings);
        QStringList held;
        for (int r = 0; r < kItemsPerHeading; ++r) {
            if (!b.book.item(r).isEmpty()) held << b.row(r);
        }
        QCOMPARE(held, rows);
        QCOMPARE(b.book.suggestionCount(), suggested);
        QCOMPARE(b.messages.shown.size(), refused.isEmpty() ? 0 : 1);
        if (!refused.isEmpty()) QVERIFY(b.messages.shown.first().contains(refused));
        // A given answer is the teacher's own.
        for (const BookHeading& h : b.book.headings())
            for (const BookItem& i : h.rows)
                if (i.item.answer == QStringLiteral("泳") ||
                    i.item.answer == QStringLiteral("あそ"))
                    QCOMPARE(int(i.mark), int(AnswerMark::Given));
    }

    // Saved and opened again, the book is the same; the main window opens what was saved with
    // the heading chosen and composes what the preview showed. A save refused writes nothing.
    void saveAndReopen() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("自分の問題.csv"));
        Book b;
        b.book.markAsked(0, QStringLiteral("公園の池で、魚を\"つる\"。"), 3, 1);
        b.book.markAsked(3, QStringLiteral("川でおよぐ。"), 2, 2);
        b.book.setText(3, BookColumn::Answer, QStringLiteral("泳"));
        b.book.addHeading(QStringLiteral("二組"));
        b.book.setFont(QStringLiteral("ＭＳ 明朝"));
        b.book.markAsked(0, QStringLiteral("毎朝学校へ行く。"), 2, 2);
        b.files.saveAnswers.push_back(path);
        QVERIFY(b.book.save());
        QVERIFY(!b.book.modified());
        QCOMPARE(b.files.suggestedNames, QStringList{QStringLiteral("二組.csv")});
        QVERIFY(
            readAll(path).startsWith("\xEF\xBB\xBF見出し,前の文,問題の部分,後の文,答え,字体\r\n"));

        Book again;
        QVERIFY(again.book.open(path));
        QCOMPARE(again.book.ownHeadings(), b.book.ownHeadings());
        QCOMPARE(again.book.path(), path);

        // The main window prints what the preview shows.
        test::ModelFixture window;
        QObject::connect(&b.book, &QuestionBook::saved, &window.model,
                         [&window](const QString& saved, int heading) {
                             window.model.openFile(saved);
                             window.model.chooseHeading(heading);
                         });
        b.book.setText(1, BookColumn::Before, QStringLiteral("二行目の文"));
        QVERIFY(b.book.save());
        QCOMPARE(window.model.combo1ListIndex(), 1);
        const SheetContent previewed = b.book.previewContent();
        const SheetContent printed = window.model.content();
        QCOMPARE(printed.fontName, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(previewed.fontName, printed.fontName);
        QCOMPARE(previewed.right.title, printed.right.title);
        QCOMPARE(previewed.right.sentences, printed.right.sentences);
        QCOMPARE(previewed.right.askedParts, printed.right.askedParts);
        QCOMPARE(previewed.right.answers, printed.right.answers);
        QCOMPARE(previewed.right.beforeLengths, printed.right.beforeLengths);

        // The window has read the file since; the book still saves over it, and only over it.
        b.book.setText(2, BookColumn::Before, QStringLiteral("三行目"));
        QVERIFY2(b.book.save(), qPrintable(b.messages.shown.join(u'\n')));
        const QString other = dir.filePath(QStringLiteral("other.csv"));
        QVERIFY(QFile(other).open(QIODevice::WriteOnly));
        registerReadFile(other, QStringLiteral("the question file"));
        const QByteArray before = readAll(path);
        b.book.setText(2, BookColumn::Before, QStringLiteral("四行目"));
        for (const QString& refused : {other, dir.filePath(QStringLiteral("x.moj"))}) {
            b.messages.shown.clear();
            QVERIFY(!b.book.saveTo(refused));
            QCOMPARE(b.messages.shown.size(), 1);
            QVERIFY(b.messages.shown.first().startsWith(text::kOwnNotWritten));
        }
        // A full disk: the file stays as it was, and the book unsaved.
        platform::failCall(platform::Call::Write, ENOSPC);
        b.messages.shown.clear();
        QVERIFY(!b.book.save());
        QCOMPARE(b.messages.shown.size(), 1);
        QVERIFY(b.book.modified());
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QVERIFY(readAll(other).isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.moj"))));
    }

    // Closing asks about unsaved changes: cancel keeps the editor, 保存しない lets it go, 保存する
    // saves first (a save that fails keeps it).
    void closing() {
        QTemporaryDir dir;
        Book b;
        QVERIFY(b.book.confirmClose());
        QVERIFY(b.messages.asked.isEmpty());
        b.book.setText(0, BookColumn::Before, QStringLiteral("文"));
        QVERIFY(!b.book.confirmClose());
        QCOMPARE(b.messages.asked, QStringList{text::askUnsaved(text::kUntitledBook)});
        b.messages.unsavedAnswers = {UnsavedAnswer::Save};  // and the save dialog cancelled
        QVERIFY(!b.book.confirmClose());
        b.messages.unsavedAnswers = {UnsavedAnswer::Save};
        b.files.saveAnswers.push_back(dir.filePath(QStringLiteral("a.csv")));
        QVERIFY(b.book.confirmClose());
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("a.csv"))));
        b.book.setText(0, BookColumn::Before, QStringLiteral("文2"));
        b.messages.unsavedAnswers = {UnsavedAnswer::Discard};
        QVERIFY(b.book.confirmClose());
    }

    // Without the dictionary everything works; answers are left for the teacher, told once.
    void withoutDictionary() {
        const reading::MecabAnalyser none(QStringLiteral("/nonexistent/dictionary"));
        Book b(&none);
        b.book.markAsked(0, QStringLiteral("公園の池で遊ぶ。"), 3, 1);
        b.book.paste(QStringLiteral("[駅]まで歩く。\n"), 1);
        QCOMPARE(b.row(0), QStringLiteral("公園の|池|で遊ぶ。|"));
        QCOMPARE(b.row(1), QStringLiteral("|駅|まで歩く。|"));
        QVERIFY(b.book.needsAnswer(1));
        QCOMPARE(b.messages.shown, QStringList{text::kReadingsMustBeTyped});
    }

    // Headings: names must stay apart (one name twice reads back as one heading).
    void headings() {
        Book b;
        b.book.addHeadings(
            {{QStringLiteral("自作の問題"), {}, {}}, {QStringLiteral("一組"), {}, {}}});
        QStringList names;
        for (const BookHeading& h : b.book.headings()) names << h.name;
        QCOMPARE(names, (QStringList{"自作の問題", "自作の問題（2）", "一組"}));
        QVERIFY(!b.book.renameHeading(2, QStringLiteral("自作の問題")));
        QVERIFY(!b.book.renameHeading(2, QStringLiteral("  ")));
        QCOMPARE(b.messages.shown.size(), 2);
        QVERIFY(b.book.renameHeading(2, QStringLiteral("二組")));
        b.book.moveHeading(2, -1);
        QCOMPARE(b.book.current(), 1);
        QCOMPARE(b.book.currentHeading()->name, QStringLiteral("二組"));
        b.book.removeHeading(0);
        QCOMPARE(b.book.headings().size(), 2);
        QCOMPARE(b.book.currentHeading()->name, QStringLiteral("二組"));
    }
};

QTEST_GUILESS_MAIN(QuestionBookTest)
#include "test_questionbook.moc"
