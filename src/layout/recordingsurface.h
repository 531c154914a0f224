#pragma once

#include <QSet>
#include <QStringList>
#include <functional>

#include "printsurface.h"

namespace pobelo {

// A surface that writes every operation as one JSON line, in call order, and hands it on to an
// inner surface when it has one. Without one it keeps paper and orientation itself, so that page
// width and height read as on A4 paper. Operations named in failing() fail (for tests of how the
// printers carry on).
//
// Lines are written only for someone who reads them: kept in lines() (by default), or given to
// the sink. With neither the surface only hands operations on and formats nothing.
class RecordingSurface : public PrintSurface {
  public:
    explicit RecordingSurface(PrintSurface* inner = nullptr) : inner_(inner) {}

    // Hands on to inner from now on; the font set so far is given to it first, unrecorded.
    void setInner(PrintSurface* inner);
    // The orientation the printer dialog left the device in; not an operation of the trace.
    void setDeviceOrientation(int orientation) { orientation_ = orientation; }

    const QStringList& lines() const { return lines_; }
    void clear() { lines_.clear(); }
    // Whether lines() keeps every line written (on by default). Off, a long run holds no lines.
    void setKeepLines(bool on) { keepLines_ = on; }
    bool keepsLines() const { return keepLines_; }
    // Called with each line as it is written.
    std::function<void(const QString&)> sink;
    QSet<QString>& failing() { return failing_; }

    bool setFontName(const QString& name) override;
    bool setFontSize(float points) override;
    bool setFontBold(bool on) override;
    bool setFontItalic(bool on) override;
    bool setCurrentX(float twips) override;
    bool setCurrentY(float twips) override;
    std::optional<float> pageWidth() override;
    std::optional<float> pageHeight() override;
    bool setPaperSize(int paper) override;
    bool setOrientation(int orientation) override;
    bool setLineStyle(int style) override;
    bool setLineWidth(int pixels) override;
    bool drawLine(float x1, float y1, float x2, float y2, int color) override;
    bool printText(const QString& text) override;
    bool printRuby(const QString& text) override;
    bool endDoc() override;

  private:
    bool writing() const { return keepLines_ || sink; }
    // Writes the line of op with its fields (formatted only when written), and returns
    // innerResult unless op is to fail.
    template <typename Fields>
    bool record(const QString& op, bool innerResult, Fields fields) {
        if (writing()) write(op, fields());
        return innerResult && !fails(op);
    }
    bool record(const QString& op, bool innerResult) {
        return record(op, innerResult, [] { return QString(); });
    }
    void write(const QString& op, const QString& fields);
    bool fails(const QString& op) const { return !failing_.isEmpty() && failing_.contains(op); }
    std::optional<float> recordRead(const QString& op, std::optional<float> innerResult);

    PrintSurface* inner_;
    std::optional<QString> fontName_;
    std::optional<float> fontSize_;
    std::optional<bool> bold_, italic_;
    int orientation_ = kOrientationPortrait;
    bool keepLines_ = true;
    QStringList lines_;
    QSet<QString> failing_;
};

// A number as the trace writes it: whole numbers without a fraction.
QString traceNumber(double value);
// A JSON string literal.
QString jsonString(const QString& text);

}  // namespace pobelo
