#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

#include "localfile.h"
#include "sheet.h"

namespace pobelo {

// What a set names that its question file does not hold.
struct SetMiss {
    enum Kind {
        HeadingPast,  // heading number past the file's headingCount (a set that remembers none)
        HeadingGone,  // no heading of the file is heading
        ItemGone,     // no item of the file is the item asking asked of heading
    };
    Kind kind = HeadingPast;
    int number = 0;
    int headingCount = 0;
    QString heading;
    QString asked;
};

namespace text {
// The question file a set names has changed since the set was saved.
inline QString setQuestionFileChanged(const QString& path) {
    return QStringLiteral(
               "問題ファイル「%1」は、このテストセットを保存したあとで書き換えられています。"
               "印刷する前に、問題と答えを確かめてください。")
        .arg(displayFileName(path));
}
// The question file a set names is not where the set says.
inline QString setQuestionFileMissing(const QString& path) {
    return QStringLiteral(
               "テストセットの問題ファイル「%1」が見つかりません。問題ファイルを選んでください。")
        .arg(displayPath(path));
}
// A set was saved for questions that the question file no longer holds as they were read.
inline QString questionFileChangedSinceRead(const QString& path) {
    return QStringLiteral(
               "問題ファイル「%1」は、読み込んだあとで書き換えられています。テストセットには"
               "読み込んだときの問題を保存しました。開き直して確かめてください。")
        .arg(displayFileName(path));
}
// A set names a heading the question file does not have (any more).
inline QString setHeadingMissing(int heading, int count) {
    return QStringLiteral(
               "テストセットの見出し %1 が、問題ファイルにありません（見出しは %2 まで）。")
        .arg(heading)
        .arg(count);
}
// What a set names that the question file does not hold, as the window tells it.
QString setMiss(const SetMiss& miss);
// A heading a set names that the question file no longer has.
inline QString setHeadingNotFound(const QString& heading) {
    return QStringLiteral("見出し「%1」が、問題ファイルにありません。").arg(heading);
}
// An item a set names that the question file no longer has.
inline QString setItemNotFound(const QString& heading, const QString& asked) {
    return QStringLiteral("見出し「%1」の問題「%2」が、問題ファイルにありません。")
        .arg(heading, asked);
}
}  // namespace text

// A sheet set file (.pobelo-set) is a Sheet written down: everything that makes the sheet, so
// that the same test can be printed again or changed next week. It names the question file
// (relative to the set's folder when it lies beside it) with a hash of its bytes, and never holds
// the questions.
inline constexpr int kSheetSetVersion = 1;
inline const QString kSheetSetSuffix = QStringLiteral("pobelo-set");

// Why a set file cannot be used, for each program to word in its own language (text::setProblem
// in the window's Japanese). key names the place in the file, as "pages.right.shuffle"; value is
// what the file holds there, as JSON writes it.
struct SetProblem {
    enum Kind {
        None,
        Missing,           // no file of that name
        Unreadable,        // no regular file, or a read failed
        NotASet,           // no JSON object whose format is pobelo-set
        NoVersion,         // no version number
        NotAVersion,       // a version that is no whole number from 1 (value)
        NewerVersion,      // a later version than this program reads (value)
        NoValue,           // key must be there and is not (or is empty)
        WrongType,         // key holds another type of value than type
        ControlCharacter,  // key's text holds a line break, a NUL or another control character
        NotOneOf,          // key's value is none of allowed
        OutOfRange,        // key's value is no whole number from low to high
        NotAnItem,         // key holds value, which names no item ("HEADING:ITEM")
        DuplicateItem,     // key holds the item value twice
        TooManyItems,      // key holds more than high items
    };
    // The JSON types a key may want.
    enum class Type { Text, Number, Boolean, List, Object };
    Kind kind = None;
    QString key;
    QString value;
    Type type = Type::Text;
    QString allowed;  // the values allowed, as "A4, B4, A3"
    qint64 low = 0;
    qint64 high = 0;
};

namespace text {
// The problem as the window tells it.
QString setProblem(const SetProblem& problem);
}  // namespace text

// The sheet as a set file in setFolder holds it: indented UTF-8 JSON. A question file in that
// folder or below it is named relatively, so that the two can move together; any other by its
// whole path.
// The set remembers what each heading and item it names holds in table, to find them again.
QByteArray sheetSetJson(const Sheet& sheet, const QString& setFolder, const QuestionTable& table);
// The sheet a set file holds, its question file as the file names it; nothing, with the reason in
// problem, for a file that is no set of this or an earlier version, or that holds a value of
// another type than its key takes, or one no sheet the window makes can hold (a title on two
// lines, an item twice, more than ten items, a seed out of range). A key that is not there takes
// its default; keys the reader does not know are left alone.
std::optional<Sheet> readSheetSetJson(const QByteArray& json, SetProblem* problem);

// Finds the headings and items set names in table (a question file of headingCount headings):
// where the set remembers what they held, by that (the position is only a hint, so a heading
// inserted above or an item moved is found again), otherwise by their position. A page whose
// heading cannot be found is left empty, an item that cannot be found is left out, and each is
// told, one message each.
QList<SetMiss> findSetItems(Sheet& set, const QuestionTable& table, int headingCount);

// Reads the set file at path; nothing, with the reason in why. The sheet's question file is the
// one the set names, found from the set's folder. (A set may be saved over the set it was opened
// from, as any document is.)
std::optional<Sheet> readSheetSetFile(const QString& path, SetProblem* problem);
// The same, with the reason as the window tells it.
std::optional<Sheet> readSheetSetFile(const QString& path, QString* why);

// The SHA-256 of the file's bytes in lower-case hex; nothing when it cannot be read.
std::optional<QString> fileSha256(const QString& path);

}  // namespace pobelo
