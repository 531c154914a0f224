#pragma once

#include <QList>
#include <QString>

#include "analyser.h"
#include "ownquestions.h"

namespace pobelo {

// What became of an item whose answer was left empty.
struct FilledReading {
    int heading = 0;
    int item = 0;
    QString asked;
    QString reading;  // the suggestion; empty when none was found
    enum class Outcome { Filled, NotFound, KanaAsked } outcome = Outcome::NotFound;
};

// Whether text holds a kanji, whose reading can be looked up.
bool holdsKanji(const QString& text);

// Fills the empty answers of the items whose asked part holds a kanji with its reading in its
// sentence (a suggestion for the teacher to check), and tells each: filled, not found, or asked in
// kana (a 書き item, whose answer the teacher must give). An item whose answer was given is left
// as it is; so is every item where given says so.
QList<FilledReading> fillReadings(QList<OwnHeading>& headings, const reading::Analyser& analyser,
                                  const QList<QList<bool>>* given = nullptr);

}  // namespace pobelo
