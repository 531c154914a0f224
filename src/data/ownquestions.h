#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "questiontable.h"

namespace pobelo {

// A teacher's own questions as the editor holds them and a teacher's file stores them: headings
// in order, each with its face and items (ten at most where the sheet shows them).
struct OwnItem {
    QString before;
    QString asked;
    QString after;
    QString answer;
    bool operator==(const OwnItem&) const = default;
};

struct OwnHeading {
    QString name;
    QString font;  // empty: the textbook face in vertical writing
    QList<OwnItem> items;
    bool operator==(const OwnHeading&) const = default;
};

// text on one line, as a field of the file holds it: each line break a space.
QString oneLineField(QString text);

// The file a teacher's questions are saved as: UTF-8 with a byte-order mark, CR LF line ends, a
// header row naming the columns, then one row an item, fields quoted as RFC 4180 quotes them
// where they hold a comma, a quote or spaces at an end. A heading without items is kept as one
// row with an empty item. Line breaks in fields (which no reader takes) are written as spaces.
QByteArray ownQuestionFileBytes(const QList<OwnHeading>& headings);

// The headings of records [0, count) of a table, with the items that hold text; the face as the
// record names it (the textbook face when it is the teacher's file's own default).
QList<OwnHeading> ownHeadingsFromTable(const QuestionTable& table, int count);
OwnHeading ownHeadingFromRecord(const QuestionTable& table, int record);

// Questions typed or pasted as text, in either of two forms:
// - lines in a plain notation: 「前の文[問題の部分]後の文」 or 「前の文[問題の部分|答え]後の文」
//   (the brackets and bar also full-width: ［］｜), 「# 見出し」 starting a heading; blank lines
//   are skipped;
// - rows copied from a spreadsheet: tab-separated, the columns 見出し 前の文 問題の部分 後の文 答え
//   字体 in that order, or in the order a header row of those names gives.
// An item before any heading goes in a heading named untitled. A line that is neither is refused
// with its number, and nothing is taken.
struct PastedQuestions {
    QList<OwnHeading> headings;
    // For each item (heading by heading, item by item): whether its answer was given, and the
    // line it came from (from 1).
    QList<QList<bool>> answerGiven;
    QList<QList<int>> lines;
    int refusedLine = 0;  // 0: read
    enum class Refusal { None, NoAskedPart, TwoAskedParts, UnclosedBracket, ColumnCount };
    Refusal refusal = Refusal::None;
    bool ok() const { return refusal == Refusal::None; }
};
PastedQuestions parsePastedQuestions(const QString& text, const QString& untitled);

}  // namespace pobelo
