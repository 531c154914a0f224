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

void RecordingSurface::write(const QString& op, const QString& fields) {
    QString line = QStringLiteral("{\"op\":\"") + op + QLatin1Char('"');
    if (!fields.isEmpty()) line += QLatin1Char(',') + fields;
    line += QLatin1Char('}');
    if (sink) sink(line);
    if (keepLines_) lines_.append(line);
}

std::optional<float> RecordingSurface::recordRead(const QString& op,
                                                  std::optional<float> innerResult) {
    if (fails(op)) innerResult.reset();
    record(op, true, [&] {
        return innerResult ? QStringLiteral("\"result\":") + traceNumber(*innerResult)
                           : QStringLiteral("\"result\":null");
    });
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

namespace {

QString onOff(bool on) {
    return on ? QStringLiteral("\"on\":true") : QStringLiteral("\"on\":false");
}

}  // namespace

bool RecordingSurface::setFontName(const QString& name) {
    fontName_ = name;
    return record(QStringLiteral("setFontName"), !inner_ || inner_->setFontName(name),
                  [&] { return QStringLiteral("\"name\":") + jsonString(name); });
}

bool RecordingSurface::setFontSize(float points) {
    fontSize_ = points;
    return record(QStringLiteral("setFontSize"), !inner_ || inner_->setFontSize(points),
                  [&] { return QStringLiteral("\"size\":") + traceNumber(points); });
}

bool RecordingSurface::setFontBold(bool on) {
    bold_ = on;
    return record(QStringLiteral("setFontBold"), !inner_ || inner_->setFontBold(on),
                  [&] { return onOff(on); });
}

bool RecordingSurface::setFontItalic(bool on) {
    italic_ = on;
    return record(QStringLiteral("setFontItalic"), !inner_ || inner_->setFontItalic(on),
                  [&] { return onOff(on); });
}

bool RecordingSurface::setCurrentX(float twips) {
    return record(QStringLiteral("setCurrentX"), !inner_ || inner_->setCurrentX(twips),
                  [&] { return QStringLiteral("\"x\":") + traceNumber(twips); });
}

bool RecordingSurface::setCurrentY(float twips) {
    return record(QStringLiteral("setCurrentY"), !inner_ || inner_->setCurrentY(twips),
                  [&] { return QStringLiteral("\"y\":") + traceNumber(twips); });
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
    return record(QStringLiteral("setPaperSize"),
                  inner_ ? inner_->setPaperSize(paper) : paper == kPaperA4,
                  [&] { return QStringLiteral("\"size\":%1").arg(paper); });
}

bool RecordingSurface::setOrientation(int orientation) {
    const bool valid = orientation == kOrientationPortrait || orientation == kOrientationLandscape;
    const bool ok = record(QStringLiteral("setOrientation"),
                           inner_ ? inner_->setOrientation(orientation) : valid,
                           [&] { return QStringLiteral("\"orientation\":%1").arg(orientation); });
    if (ok) orientation_ = orientation;
    return ok;
}

bool RecordingSurface::setLineStyle(int style) {
    return record(QStringLiteral("setLineStyle"), !inner_ || inner_->setLineStyle(style),
                  [&] { return QStringLiteral("\"style\":%1").arg(style); });
}

bool RecordingSurface::setLineWidth(int pixels) {
    return record(QStringLiteral("setLineWidth"), !inner_ || inner_->setLineWidth(pixels),
                  [&] { return QStringLiteral("\"width\":%1").arg(pixels); });
}

bool RecordingSurface::drawLine(float x1, float y1, float x2, float y2, int color) {
    return record(QStringLiteral("drawLine"), !inner_ || inner_->drawLine(x1, y1, x2, y2, color),
                  [&] {
                      return QStringLiteral("\"x1\":%1,\"y1\":%2,\"x2\":%3,\"y2\":%4,\"color\":%5")
                          .arg(traceNumber(x1), traceNumber(y1), traceNumber(x2), traceNumber(y2))
                          .arg(color);
                  });
}

bool RecordingSurface::printText(const QString& text) {
    return record(QStringLiteral("printText"), !inner_ || inner_->printText(text),
                  [&] { return QStringLiteral("\"text\":") + jsonString(text); });
}

bool RecordingSurface::printRuby(const QString& text) {
    return record(QStringLiteral("printRuby"), !inner_ || inner_->printRuby(text),
                  [&] { return QStringLiteral("\"text\":") + jsonString(text); });
}

bool RecordingSurface::endDoc() {
    return record(QStringLiteral("endDoc"), !inner_ || inner_->endDoc());
}

}  // namespace pobelo
