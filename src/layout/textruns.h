#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pobelo {

// How the texts of a sheet are cut into the characters a reader counts, and how each of them
// stands in a vertical column. The printers place one such character per cell, the side lines
// count them, and the painter and the measurer draw and measure every text by the same rule.

// The characters of text, in order: grapheme clusters (a kanji beyond the BMP, a kana with a
// combining voiced mark or a kanji with its variation selector is one character). A half-width
// voiced or semi-voiced mark joins the half-width kana before it only where a precomposed kana
// exists (ｶﾞ is one character, ｱﾞ two). A format character (a zero-width space, a direction
// mark or override, a soft hyphen) shows nothing and takes no cell: it is part of the character
// before it, or of the first one after it; a text of format characters alone has no cells.
QStringList textCells(const QString& text);

// What a character shows: its first code point that is no format character; 0 for none.
char32_t shownCodePoint(const QString& cell);

// How many characters textCells finds in text.
qsizetype cellCount(const QString& text);

// How one character stands in a vertical column.
enum class CellSetting {
    Vertical,  // in its vertical form, as the face sets it down a column
    Upright,   // a half-width letter or digit, standing upright in the middle of one em cell
    Sideways,  // other half-width signs (space, hyphen, slash...), lying along the column
};

CellSetting cellSetting(const QString& cell);

// The character as it is drawn: half-width katakana, their marks and the half-width Japanese
// signs become their full-width forms (ｰ is ー, set along the column like it; ｶﾞ is ガ; a mark
// with nothing to join is ゛ or ゜), and half-width brackets become full-width brackets, which a
// vertical face turns. Any other character is drawn as it is.
QString cellForm(const QString& cell);

// A stretch of a text that is drawn in one piece down a column: a run of vertical characters,
// shaped together, or one upright or sideways character.
struct ColumnPiece {
    CellSetting setting = CellSetting::Vertical;
    QStringList cells;    // in their drawn forms (cellForm)
    QStringList sources;  // the same characters as the text has them
};

// Cuts text, drawn as one string down a column, into the pieces it is drawn in.
QList<ColumnPiece> columnPieces(const QString& text);

}  // namespace pobelo
