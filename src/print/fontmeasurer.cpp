#include "fontmeasurer.h"

#include <QFontMetricsF>
#include <QRawFont>
#include <cmath>

#include "fontresolver.h"
#include "verticaltext.h"

namespace pobelo {

namespace {
constexpr qreal kTwipsPerPoint = 20;
constexpr int kDotsPerMetreAt1440Dpi = 56693;
}  // namespace

FontMeasurer::FontMeasurer() : twips_(1, 1, QImage::Format_ARGB32) {
    twips_.setDotsPerMeterX(kDotsPerMetreAt1440Dpi);
    twips_.setDotsPerMeterY(kDotsPerMetreAt1440Dpi);
}

FontMeasurer::~FontMeasurer() = default;

FontMeasurer::Face& FontMeasurer::face(const QString& family, float points, bool bold, bool italic,
                                       bool vertical) {
    // Every measure asks for a face: the key is compared, never formatted.
    std::shared_ptr<Face>& entry = faces_[FaceKey{family, points, bold, italic, vertical}];
    if (!entry) {
        entry = std::make_shared<Face>();
        QFont font(family);
        font.setBold(bold);
        font.setItalic(italic);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setStyleStrategy(QFont::PreferOutline);
        if (vertical) {
            QRawFont raw = QRawFont::fromFont(font);
            if (raw.isValid()) {
                raw.setPixelSize(points * kTwipsPerPoint);
                auto shaper = std::make_unique<VerticalShaper>(raw);
                if (shaper->isValid()) entry->shaper = std::move(shaper);
            }
        }
        font.setPointSizeF(points);
        entry->font = font;
    }
    return *entry;
}

const QString& FontMeasurer::family(const QString& fontName) {
    auto found = families_.find(fontName);
    if (found == families_.end()) found = families_.insert(fontName, resolveFaceName(fontName));
    return *found;
}

bool FontMeasurer::canShow(const QString& fontName, bool bold, bool italic, char32_t c) {
    const QString& installed = family(fontName);
    // Without any face there is nothing to ask; the sheet is refused before it prints.
    if (installed.isEmpty()) return true;
    QHash<char32_t, bool>& known =
        shown_[QStringLiteral("%1|%2|%3").arg(installed).arg(int(bold)).arg(int(italic))];
    const auto it = known.constFind(c);
    if (it != known.constEnd()) return *it;
    // The painter draws with the face and, for what it lacks, the faces the system puts in its
    // place; the metrics of the same font answer for all of them.
    QFont font(installed);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferOutline);
    const bool can = QFontMetricsF(font, &twips_).inFontUcs4(c);
    known.insert(c, can);
    return can;
}

float FontMeasurer::advance(const QString& fontName, float points, bool bold, bool italic,
                            const QString& text) {
    const qreal em = points * kTwipsPerPoint;
    if (!(points > 0) || !std::isfinite(points)) return 0;
    const QString* found = &family(fontName);
    if (found->isEmpty()) return float(em * cellCount(text));
    const bool vertical = isVerticalFaceName(fontName);
    const QList<ColumnPiece> pieces = columnPieces(text);
    if (!vertical) {
        // One character stands in one em cell of a column; a longer text runs along the line.
        if (pieces.size() == 1 && pieces.first().cells.size() == 1) return float(em);
        Face& f = face(*found, points, bold, italic, false);
        return float(QFontMetricsF(f.font, &twips_).horizontalAdvance(text));
    }
    Face& f = face(*found, points, bold, italic, true);
    qreal total = 0;
    for (const ColumnPiece& piece : pieces) total += pieceLength(piece, f.shaper.get(), em);
    return float(total);
}

}  // namespace pobelo
