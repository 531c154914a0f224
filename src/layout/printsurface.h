#pragma once

#include <QString>
#include <optional>

namespace pobelo {

// Paper and orientation codes the sheet printers pass to a surface.
inline constexpr int kPaperA4 = 9;
inline constexpr int kOrientationPortrait = 1;
inline constexpr int kOrientationLandscape = 2;

// The whole sheet of A4 paper in twips (210 x 297 mm at 1440 twips to the inch).
inline constexpr int kA4ShortTwips = 11906;
inline constexpr int kA4LongTwips = 16838;

// The printer as one page of absolutely placed characters and lines.
//
// Coordinates are twips from the top-left corner of the sheet of paper, X to the right and Y
// downwards. Every operation can fail; a failing operation returns false (or no value) and
// leaves the surface as it was. A text's character cell has its top-left corner at the current
// position. A face name starting with "@" is a vertical-writing face: text still advances along
// X, and every full-width character is drawn turned a quarter turn counter-clockwise in its
// vertical form.
class PrintSurface {
  public:
    virtual ~PrintSurface() = default;

    virtual bool setFontName(const QString& name) = 0;
    virtual bool setFontSize(float points) = 0;
    virtual bool setFontBold(bool on) = 0;
    virtual bool setFontItalic(bool on) = 0;
    virtual bool setCurrentX(float twips) = 0;
    virtual bool setCurrentY(float twips) = 0;
    virtual std::optional<float> pageWidth() = 0;
    virtual std::optional<float> pageHeight() = 0;
    virtual bool setPaperSize(int paper) = 0;
    virtual bool setOrientation(int orientation) = 0;
    virtual bool setLineStyle(int style) = 0;
    // Width in device pixels of a 600-dpi printer.
    virtual bool setLineWidth(int pixels) = 0;
    virtual bool drawLine(float x1, float y1, float x2, float y2, int color) = 0;
    virtual bool printText(const QString& text) = 0;
    // Ruby beside the sheet's text, drawn as printText draws text but no part of the sheet's
    // text: copying or searching a document's text leaves it out.
    virtual bool printRuby(const QString& text) { return printText(text); }
    // Ends the print job and sends the page out.
    virtual bool endDoc() = 0;
};

}  // namespace pobelo
