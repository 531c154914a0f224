#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <array>
#include <memory>

#include "analyser.h"
#include "ownquestions.h"
#include "preflight.h"
#include "questiontable.h"
#include "services.h"
#include "sheet.h"
#include "teacherfile.h"

namespace pobelo {

namespace text {
// Own question files as the editor opens and saves them.
inline const QString kOwnOpenFilter = QStringLiteral("自作の問題 (*.csv)|*.csv;*.tsv;*.txt|");
inline const QString kOwnSaveFilter = QStringLiteral("自作の問題 (*.csv)|*.csv|");
inline const QString kUntitledBook = QStringLiteral("新しい問題");
inline const QString kNewHeading = QStringLiteral("新しい見出し");
// The heading pasted items go into when nothing names one.
inline const QString kOwnHeading = QStringLiteral("自作の問題");
inline const QString kSuggestedReading = QStringLiteral("読みの候補です。確かめてください。");
inline const QString kReadingNotFound =
    QStringLiteral("読みが見つかりませんでした。答えを入れてください。");
inline const QString kKanaAsked =
    QStringLiteral("問題の部分がかなです。書きの問題なら、答え（漢字）を入れてください。");
inline const QString kNoAskedPart = QStringLiteral(
    "傍線の部分がありません。文の中の語を選んで「傍線にする」（Ctrl+U）を押してください。");
inline const QString kReadingsMustBeTyped = QStringLiteral(
    "読みの辞書（mecab-ipadic-utf8）が見つからないため、読みを自動で入れられません。"
    "答えは入力してください。");
inline QString askUnsaved(const QString& name) {
    return QStringLiteral("「%1」の変更を保存しますか？").arg(name);
}
inline const QString kOwnNotWritten = QStringLiteral("問題ファイルを保存できませんでした: ");
inline const QString kOwnNotRead = QStringLiteral("問題ファイルを開けませんでした: ");
inline const QString kSaveAsCsv =
    QStringLiteral("問題は .csv のファイルに保存します（Excel でも開けます）。");
inline const QString kHeadingNameEmpty = QStringLiteral("見出しの名前を入れてください。");
inline QString headingNameTaken(const QString& name) {
    return QStringLiteral("「%1」という見出しはもうあります。ほかの名前にしてください。").arg(name);
}
inline const QString kTooManyHeadings =
    QStringLiteral("一つのファイルに入る見出しは 2001 までです。");
inline QString pasteRefused(int line, const QString& why) {
    return QStringLiteral("貼り付けられませんでした（%1 行目）：%2").arg(line).arg(why);
}
}  // namespace text

// The columns of a heading's rows as the editor shows them.
enum class BookColumn { Before = 0, Asked, After, Answer };
inline constexpr int kBookColumns = 4;
// An item's text in a column.
const QString& fieldOf(const OwnItem& item, BookColumn column);
QString& fieldOf(OwnItem& item, BookColumn column);

// Where an item's answer came from, as far as the editor knows.
enum class AnswerMark {
    Given,      // typed by the teacher, read from a file or pasted with its answer
    Suggested,  // a reading filled in, for the teacher to check
    NotFound,   // the asked part holds a kanji whose reading was not found: left empty
    KanaAsked,  // the asked part is kana (a 書き item): its answer is for the teacher to give
};

struct BookItem {
    OwnItem item;
    AnswerMark mark = AnswerMark::Given;
    bool isEmpty() const { return (item.before + item.asked + item.after + item.answer).isEmpty(); }
    bool operator==(const BookItem&) const = default;
};

// One heading of the editor: its name, its face (empty: the textbook face in vertical writing)
// and its ten rows, empty ones included.
struct BookHeading {
    QString name;
    QString font;
    std::array<BookItem, kItemsPerHeading> rows;
    // The heading as its file holds it: the rows that hold text, in order.
    OwnHeading own() const;
    static BookHeading from(const OwnHeading& own);
    bool operator==(const BookHeading&) const = default;
};

// A teacher's own question file as the question editor holds it: its headings with their rows,
// the heading chosen, every change one step of an undo stack, saved as a teacher's file through
// an output transaction. Readings are filled in as suggestions where an answer is left empty.
class QuestionBook : public QObject {
    Q_OBJECT
  public:
    struct Services {
        FileDialog* files = nullptr;
        MessageBox* messages = nullptr;
        // Readings of the asked parts; without one, answers must be typed.
        const reading::Analyser* analyser = nullptr;
        // The font's real advances for the check of the preview; every character one em without.
        TextMeasurer* measurer = nullptr;
    };
    explicit QuestionBook(const Services& services, QObject* parent = nullptr);
    ~QuestionBook() override;

    // --- State -------------------------------------------------------------------------------
    const QList<BookHeading>& headings() const { return state_.headings; }
    // The heading chosen, -1 while there is none.
    int current() const { return state_.current; }
    const BookHeading* currentHeading() const;
    // The file the book was opened from or saved as; empty for a new book.
    const QString& path() const { return path_; }
    // The file's name, or 新しい問題.
    QString displayName() const;
    bool modified() const { return !undo_.isClean(); }
    QUndoStack& undoStack() { return undo_; }
    // The item on row of the current heading (an empty one past its rows).
    BookItem item(int row) const;
    // Whether row holds an asked part but no answer: the teacher has to give one.
    bool needsAnswer(int row) const;
    // What the editor tells about row's answer (a suggestion, none found, a kana asked part, no
    // asked part); empty when there is nothing to tell.
    QString answerNote(int row) const;
    // The suggestions still to check and the answers missing, over the whole book.
    int suggestionCount() const;
    int missingCount() const;
    // The headings as the file holds them.
    QList<OwnHeading> ownHeadings() const;

    // --- Preview -----------------------------------------------------------------------------
    // The current heading on the right page as the main window composes it when it is chosen in
    // the saved file (with its answers when answers is set); the left page empty. Empty while no
    // heading is chosen.
    SheetContent previewContent(bool answers = false) const;
    // What would not stay on the paper if the current heading printed so (with its answers).
    QList<Finding> previewFindings() const;

    // --- Commands: each change is one undo step ----------------------------------------------
    void choose(int heading);
    // Adds a heading after the current one (a free name from name, or 新しい見出し) and chooses
    // it; false when the file would hold too many.
    bool addHeading(const QString& name = QString());
    // False, with a message, for an empty name or one another heading has (two headings of one
    // name would read back as one).
    bool renameHeading(int heading, const QString& name);
    void removeHeading(int heading);
    // Moves a heading one place up (delta -1) or down (+1).
    void moveHeading(int heading, int delta);
    void setFont(const QString& font);
    // Sets one field of row of the current heading. A changed sentence fills its answer anew
    // unless the teacher gave it; an answer typed is the teacher's own from then on.
    void setText(int row, BookColumn column, const QString& text);
    // The row's whole sentence as typed: its asked part stays where the sentence still holds it
    // around the same text, otherwise the sentence waits for an asked part to be marked.
    void setSentence(int row, const QString& sentence);
    // 傍線にする: sentence is row's whole sentence (as being typed), the characters [from,
    // from + length) its asked part. False when they are no characters of it (only spaces).
    bool markAsked(int row, const QString& sentence, int from, int length);
    // Takes row's suggested reading as the teacher's answer.
    void confirmReading(int row);
    // Empties rows [from, from + count) of the current heading.
    void clearRows(int from, int count);
    // Pasted text: lines in the notation or rows from a spreadsheet (parsePastedQuestions; rows of
    // only 前の文 問題の部分 後の文 (答え) too). Items under no heading of their own replace the
    // current heading's rows from row on (continuing in a heading of their own past the tenth);
    // named headings are added after the current one. Readings fill the answers not given.
    // False, with a message naming the line, when the text cannot be read; nothing changes then.
    bool paste(const QString& text, int row = 0);
    // Adds copies of headings (of the window's question file) after the current one, with free
    // names, and chooses the first.
    void addHeadings(const QList<OwnHeading>& headings);

    // --- Files -------------------------------------------------------------------------------
    // Starts a new book with one empty heading, or with copies of headings (then unsaved).
    void newBook(const QList<OwnHeading>& headings = {});
    // Reads a teacher's file into the book; false, with a message, when it cannot be read (the
    // book stays as it was).
    bool open(const QString& path);
    // Ctrl+S: saves to path(), or asks for a file when there is none (or it is no .csv).
    bool save();
    // Asks for a file and saves there: a new book's in folder (see setFolder).
    bool saveAs();
    // Where the save dialog of a book never saved opens (the folder of the window's file).
    void setFolder(const QString& folder) { folder_ = folder; }
    // Writes the book to path, whole or not at all; a name not ending in .csv is refused. False,
    // with a message, when nothing was written.
    bool saveTo(const QString& path);
    // Before the editor closes: asks about unsaved changes and saves when told. True when it may
    // close.
    bool confirmClose();

  Q_SIGNALS:
    void changed();
    // The book was written to path, with heading chosen.
    void saved(const QString& path, int heading);

  private:
    struct State {
        QList<BookHeading> headings;
        int current = -1;
        bool operator==(const State&) const = default;
    };
    class Change;
    // Makes after the book's state as one undo step named what.
    void apply(const State& after, const QString& what);
    void restore(const State& state);
    // Fills row's answer anew unless the teacher gave it.
    void suggest(BookItem& row);
    void tellReadingsMissing();
    QString freeName(const QString& wanted, const QList<BookHeading>& among, int except = -1) const;
    void showMessage(const QString& text);

    Services services_;
    State state_;
    QString path_;
    QString folder_;
    QUndoStack undo_;
    bool toldNoReadings_ = false;
};

}  // namespace pobelo
