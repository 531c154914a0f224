#pragma once

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <functional>

#include "sheetprinters.h"

namespace pobelo {

// How far text runs along X when drawn in one piece, as the printing surface would draw it.
class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    // The advance in twips of text in the face fontName (a leading "@" names a vertical-writing
    // face) at points size.
    virtual float advance(const QString& fontName, float points, bool bold, bool italic,
                          const QString& text) = 0;
    // Whether the character c prints in the face fontName, or in a face that stands in for it
    // when it lacks c; false when it would print as an empty box.
    virtual bool canShow(const QString& fontName, bool bold, bool italic, char32_t c) {
        Q_UNUSED(fontName);
        Q_UNUSED(bold);
        Q_UNUSED(italic);
        Q_UNUSED(c);
        return true;
    }
};

// One thing on a laid-out sheet that does not stay where it belongs.
struct Finding {
    bool rightPage = true;
    QString item;  // "①" to "⑩", "表題" or "名前"
    QString what;  // "③ の文が用紙の下にはみ出します（8字）"

    // "右" or "左".
    QString page() const;
    // The page and what happens, on one line: "右ページ　③ の文が…".
    QString line() const;
    friend bool operator==(const Finding&, const Finding&) = default;
};

// For a real printer: the edges of the paper it cannot print on, in twips, for A4 in the given
// orientation (1 portrait, 2 landscape).
using UnprintableMargins = std::function<QMarginsF(int orientation)>;

// Lays the sheet out (as fitted, or as it stands) and checks every drawn text against the paper,
// the frames and the area it belongs to, and against the other texts; with margins, also every
// text and line against the printable area. Characters are measured with measurer, or as full
// cells one em wide without one; with one, a character no face can show is a finding too.
QList<Finding> preflightSheet(const SheetContent& sheet, TextMeasurer* measurer,
                              const SheetFit* fit = nullptr,
                              const UnprintableMargins& margins = {});

// The smallest size a fitted text is printed at, in points: what still runs past its area at
// this size is printed so, and the check of the fitted sheet reports it.
inline constexpr float kSmallestFitPoints = 8;

// The pitch and size that keep every text of the sheet inside its area: a text that runs past it
// first closes up its characters until they would overprint one another, and then gets smaller,
// down to kSmallestFitPoints. Texts that fit keep the layout's own pitch and size.
SheetFit fitSheet(const SheetContent& sheet, TextMeasurer* measurer);

// What a fit changed that the teacher chose: squares made smaller than their chosen size, each
// told as a finding of its page ("マス目を 14.0 mm から 11.0 mm に小さくしました").
QList<Finding> fitNotes(const SheetContent& sheet, const SheetFit& fit);

// The area each text of a laid-out sheet belongs to, with every cell of the sheet: for tests.
struct LaidOutCell {
    SheetPart part;
    QRectF rect;  // twips
    QRectF area;  // where the part's texts belong
};
QList<LaidOutCell> layOutCells(const SheetContent& sheet, TextMeasurer* measurer,
                               const SheetFit* fit = nullptr);

}  // namespace pobelo
