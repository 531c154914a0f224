#pragma once

#include <QList>
#include <QString>

#include "analyser.h"

namespace pobelo::reading {

// A piece of a sentence and how it reads: a run of kana (read as written), one kanji with its own
// reading, a word of kanji whose reading does not split over them (今日 → きょう, group), or
// other characters (punctuation, letters).
struct ReadingSpan {
    enum class Kind { Kana, Kanji, Other };
    qsizetype start = 0;  // in UTF-16 units of the sentence
    qsizetype length = 0;
    Kind kind = Kind::Other;
    QString reading;     // hiragana; empty for a kanji whose reading was not found
    bool group = false;  // a kanji span of more than one kanji
    bool operator==(const ReadingSpan&) const = default;
};

// Splits a word's reading (hiragana) over its characters, span by span. The kana of the word
// must stand in the reading as they are written; each kanji takes a reading the kanji table
// gives it (with the voicing and the small っ of compounds: 学校 → がっ・こう) where every kanji of
// a run does, else the run reads as a group. Empty when the reading cannot be laid over the word.
QList<ReadingSpan> alignWord(const QString& surface, const QString& reading);

// The spans of a whole sentence, each character in one of them, read word by word in context.
// Numbers with a counter read as they are said (三日 → みっか, 二人 → ふたり, 3人 → さんにん).
QList<ReadingSpan> sentenceSpans(const Analyser& analyser, const QString& sentence);

// The reading of an asked part in its sentence, as the answer of a 読み item: the reading of the
// marked characters only where the mark cuts a word (「美し」 of 美しい → うつくし). Not found
// (empty) where a kanji of it has no reading, or the mark cuts a word whose reading does not
// split there.
struct SuggestedReading {
    QString text;
    bool found = false;
};
SuggestedReading askedReading(const Analyser& analyser, const QString& before, const QString& asked,
                              const QString& after);

// How a number is read (1 to 9999 in digits, full-width or not, or in kanji numerals); empty for
// anything else.
QString numberReading(const QString& number);

}  // namespace pobelo::reading
