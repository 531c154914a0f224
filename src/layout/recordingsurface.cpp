#include "recordingsurface.h"

#include <cmath>

namespace pobelo {

QString traceNumber(double value) {
    if (std::isfinite(value) && value == std::round(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 9);
}

QString jsonString(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '"':
                out += QLatin1String("\\\"");
                break;
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

bool RecordingSurface::record(const QString& op, const QString& fields, bool innerResult) {
    QString line = QStringLiteral("{\"op\":\"%1\"").arg(op);
    if (!fields.isEmpty()) line += QLatin1Char(',') + fields;
    line += QLatin1Char('}');
    lines_.append(line);
    if (sink) sink(line);
    return innerResult && !failing_.contains(op);
}

std::optional<float> RecordingSurface::recordRead(const QString& op,
                                                  std::optional<float> innerResult) {
    if (failing_.contains(op)) innerResult.reset();
    record(op,
           innerResult ? QStringLiteral("\"result\":%1").arg(traceNumber(*innerResult))
                       : QStringLiteral("\"result\":null"),
           true);
    return innerResult;
}

void RecordingSurface::setInner(PrintSurface* inner) {
    inner_ = inner;
    if (!inner_) return;
    if (fontName_) inner_->setFontName(*fontName_);
    if (italic_) inner_->setFontItalic(*italic_);
    if (fontSize_) inner_->setFontSize(*fontSize_);
    if (bold_) inner_->setFontBold(*bold_);
}

bool RecordingSurface::setFontName(const QString& name) {
    fontName_ = name;
    return record(QStringLiteral("setFontName"), QStringLiteral("\"name\":") + jsonString(name),
                  !inner_ || inner_->setFontName(name));
}

bool RecordingSurface::setFontSize(float points) {
    fontSize_ = points;
    return record(QStringLiteral("setFontSize"), QStringLiteral("\"size\":") + traceNumber(points),
                  !inner_ || inner_->setFontSize(points));
}

bool RecordingSurface::setFontBold(bool on) {
    bold_ = on;
    return record(QStringLiteral("setFontBold"),
                  on ? QStringLiteral("\"on\":true") : QStringLiteral("\"on\":false"),
                  !inner_ || inner_->setFontBold(on));
}

bool RecordingSurface::setFontItalic(bool on) {
    italic_ = on;
    return record(QStringLiteral("setFontItalic"),
                  on ? QStringLiteral("\"on\":true") : QStringLiteral("\"on\":false"),
                  !inner_ || inner_->setFontItalic(on));
}

bool RecordingSurface::setCurrentX(float twips) {
    return record(QStringLiteral("setCurrentX"), QStringLiteral("\"x\":") + traceNumber(twips),
                  !inner_ || inner_->setCurrentX(twips));
}

bool RecordingSurface::setCurrentY(float twips) {
    return record(QStringLiteral("setCurrentY"), QStringLiteral("\"y\":") + traceNumber(twips),
                  !inner_ || inner_->setCurrentY(twips));
}

std::optional<float> RecordingSurface::pageWidth() {
    if (inner_) return recordRead(QStringLiteral("pageWidth"), inner_->pageWidth());
    return recordRead(QStringLiteral("pageWidth"),
                      orientation_ == kOrientationLandscape ? kA4LongTwips : kA4ShortTwips);
}

std::optional<float> RecordingSurface::pageHeight() {
    if (inner_) return recordRead(QStringLiteral("pageHeight"), inner_->pageHeight());
    return recordRead(QStringLiteral("pageHeight"),
                      orientation_ == kOrientationLandscape ? kA4ShortTwips : kA4LongTwips);
}

bool RecordingSurface::setPaperSize(int paper) {
    const bool ok = record(QStringLiteral("setPaperSize"), QStringLiteral("\"size\":%1").arg(paper),
                           inner_ ? inner_->setPaperSize(paper) : paper == kPaperA4);
    return ok;
}

bool RecordingSurface::setOrientation(int orientation) {
    const bool valid = orientation == kOrientationPortrait || orientation == kOrientationLandscape;
    const bool ok = record(QStringLiteral("setOrientation"),
                           QStringLiteral("\"orientation\":%1").arg(orientation),
                           inner_ ? inner_->setOrientation(orientation) : valid);
    if (ok) orientation_ = orientation;
    return ok;
}

bool RecordingSurface::setLineStyle(int style) {
    return record(QStringLiteral("setLineStyle"), QStringLiteral("\"style\":%1").arg(style),
                  !inner_ || inner_->setLineStyle(style));
}

bool RecordingSurface::setLineWidth(int pixels) {
    return record(QStringLiteral("setLineWidth"), QStringLiteral("\"width\":%1").arg(pixels),
                  !inner_ || inner_->setLineWidth(pixels));
}

bool RecordingSurface::drawLine(float x1, float y1, float x2, float y2, int color) {
    return record(QStringLiteral("drawLine"),
                  QStringLiteral("\"x1\":%1,\"y1\":%2,\"x2\":%3,\"y2\":%4,\"color\":%5")
                      .arg(traceNumber(x1), traceNumber(y1), traceNumber(x2), traceNumber(y2))
                      .arg(color),
                  !inner_ || inner_->drawLine(x1, y1, x2, y2, color));
}

bool RecordingSurface::printText(const QString& text) {
    return record(QStringLiteral("printText"), QStringLiteral("\"text\":") + jsonString(text),
                  !inner_ || inner_->printText(text));
}

bool RecordingSurface::endDoc() {
    return record(QStringLiteral("endDoc"), QString(), !inner_ || inner_->endDoc());
}

}  // namespace pobelo
