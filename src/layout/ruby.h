#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pobelo {

// Ruby (ふりがな) over a run of a sentence's characters: one kanji with its own reading (mono
// ruby), or a word whose reading does not split over its kanji (group ruby).
struct RubyText {
    qsizetype first = 0;  // the first base character, counted as textCells counts the sentence
    qsizetype count = 1;  // how many base characters it stands beside
    QString reading;      // printed one character to a half-size cell
    friend bool operator==(const RubyText&, const RubyText&) = default;
};
using SentenceRuby = QList<RubyText>;

// Where the characters of a sentence with ruby stand along its column, and its ruby, as JLREQ
// sets ruby in vertical text: at half the base size, beside the base and touching it, centred on
// it. Ruby shorter than a word of several kanji is spread over it, ends half as wide as the gaps
// between (1:2:1). Ruby longer than its base overhangs the kana on either side by at most half a
// character, never a kanji, the asked part (where the side line stands) or the item number;
// where that is not enough the base characters spread evenly and the rest of the sentence moves
// with them.
struct RubyPlacement {
    // From the start of the column: where each character begins (cells.size() of them), and
    // where the last one ends.
    QList<float> cells;
    float end = 0;
    // Each ruby character with where it begins along the column.
    struct Piece {
        float offset = 0;
        QString text;
    };
    QList<Piece> ruby;
    float rubyPoints = 0;  // half the base size
    // Where the character at cell begins; the end for one past the last.
    float offsetOf(qsizetype cell) const { return cell < cells.size() ? cells[cell] : end; }
};

// Places ruby over cells (the column's characters, drawn pitch twips apart at points size). The
// ruby's characters count from `leading` on (the item number before the sentence takes none);
// askedFirst and askedCount give the asked part's characters in the same count.
RubyPlacement placeRuby(const QStringList& cells, qsizetype leading, const SentenceRuby& ruby,
                        qsizetype askedFirst, qsizetype askedCount, float pitch, float points);

// Whether a character is kana, which ruby may overhang.
bool isKanaCell(const QString& cell);

}  // namespace pobelo
