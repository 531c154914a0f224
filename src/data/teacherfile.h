#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>

#include "questionfile.h"
#include "questiontable.h"

class QIODevice;

namespace pobelo {

// A teacher's own question file: a table that Excel or Google Sheets saves, one item a row under
// a header row that names the columns (in any order; others are ignored).
namespace column {
inline const QString kHeading = QStringLiteral("見出し");
inline const QString kBefore = QStringLiteral("前の文");
inline const QString kAsked = QStringLiteral("問題の部分");
inline const QString kAfter = QStringLiteral("後の文");
inline const QString kAnswer = QStringLiteral("答え");
inline const QString kFont = QStringLiteral("字体");  // the only column that may be left out
}  // namespace column

// The face of a heading whose rows name none: the textbook face, in vertical writing.
inline const QString kTeacherFileFont = QStringLiteral("@HG教科書体");

// The items a heading holds; the rows past them continue in a heading of their own.
inline constexpr int kItemsPerHeading = 10;

// Whether path names a teacher's own question file by its extension (.csv, .tsv, .txt, in any
// case): loadQuestionFile reads such a file as a table, any other as a drill program's file.
bool isTeacherFileName(const QString& path);

// Whether a dropped file or the desktop should open path as a teacher's file (.csv, .tsv): a
// .txt is opened only when asked for by name, since most text files hold no questions.
bool isTeacherFileDrop(const QString& path);

// A reading a teacher gives a word of an item, as Aozora Bunko marks it: ｜漢字《かんじ》, or
// 漢字《かんじ》 after a run of kanji (a half-width | too). The marks never print: the field keeps
// the word, and the reading is kept beside it. An empty reading (｜漢字《》) gives the word none.
struct MarkedReading {
    enum Field { Before, Asked, After, Answer };
    int item = 0;  // 0 to 9 in its record
    Field field = Before;
    qsizetype start = 0;  // the word in the field without the marks, in UTF-16 units
    qsizetype length = 0;
    QString reading;
    friend bool operator==(const MarkedReading&, const MarkedReading&) = default;
};

// text without its reading marks; each reading it marks is appended to readings (when given) with
// the item and field given. Marks that do not close (｜ without 《…》, 《 without 》 or without a
// word before it) are text.
QString takeReadingMarks(const QString& text, int item, MarkedReading::Field field,
                         QList<MarkedReading>* readings);
// The readings of a record as its slot slot::kReadings holds them, and back.
QString readingsSlotText(const QList<MarkedReading>& readings);
QList<MarkedReading> readingsOfSlot(const QString& text);

// Reads a teacher's file from an open device into the table from record 0 upwards, calling
// appendHeading with each heading in file order. Consecutive rows with the same 見出し (an empty
// one repeats the row above) make one heading of up to ten items; the eleventh on continue in
// "見出し (2)", and so on. A row of empty fields is skipped. The text is UTF-8 (with or without a
// byte-order mark), UTF-16 with a byte-order mark, or else CP932; its fields are separated by
// commas, or by tabs when the header holds more tabs than commas, and quoted as RFC 4180 quotes
// them. A file without the header, a quoted field that holds a line break or is not closed, and
// a row with fewer fields than the header (or more that are not empty) are refused (Refused,
// with the line), and nothing is read into the table. At most kMaxQuestionFileBytes are read.
// With lines, the line of each item read is appended, record by record (lines[record][item]).
LoadResult loadTeacherDevice(QIODevice& device, QuestionTable& table,
                             const std::function<void(const QString&)>& appendHeading,
                             QList<QList<int>>* lines = nullptr);

// A teacher's file's bytes as text, decoded as loadTeacherDevice decodes them.
QString decodeTeacherText(QByteArrayView bytes);
// Whether the first line of text is a header that names the columns of a teacher's file.
bool namesTeacherColumns(QStringView text);

}  // namespace pobelo
