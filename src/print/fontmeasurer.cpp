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
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(family)
                            .arg(double(points))
                            .arg(int(bold))
                            .arg(int(italic))
                            .arg(int(vertical));
    std::shared_ptr<Face>& entry = faces_[key];
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

float FontMeasurer::advance(const QString& fontName, float points, bool bold, bool italic,
                            const QString& text) {
    const qreal em = points * kTwipsPerPoint;
    if (!(points > 0) || !std::isfinite(points)) return 0;
    auto found = families_.find(fontName);
    if (found == families_.end()) found = families_.insert(fontName, resolveFaceName(fontName));
    if (found->isEmpty()) return float(em * text.size());
    const bool vertical = isVerticalFaceName(fontName);
    Face& f = face(*found, points, bold, italic, vertical);
    const QFontMetricsF metrics(f.font, &twips_);
    if (!vertical) return float(metrics.horizontalAdvance(text));

    qreal total = 0;
    for (const WidthRun& run : splitWidthRuns(text)) {
        const QString part = text.mid(run.start, run.length);
        if (!run.wide) {
            total += metrics.horizontalAdvance(part);
        } else if (!f.shaper) {
            total += em * part.size();
        } else {
            // Characters the face lacks are drawn from another font, one em each.
            qsizetype start = 0;
            for (qsizetype i = 0; i < part.size();) {
                const qsizetype n = part.at(i).isHighSurrogate() && i + 1 < part.size() ? 2 : 1;
                const char32_t c = n == 2 ? QChar::surrogateToUcs4(part.at(i), part.at(i + 1))
                                          : char32_t(part.at(i).unicode());
                if (!f.shaper->rawFont().supportsCharacter(uint(c))) {
                    if (i > start) total += f.shaper->shape(part.mid(start, i - start)).length;
                    total += em;
                    start = i + n;
                }
                i += n;
            }
            if (part.size() > start) total += f.shaper->shape(part.mid(start)).length;
        }
    }
    return float(total);
}

}  // namespace pobelo
