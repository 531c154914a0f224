#pragma once

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QString>
#include <QTransform>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "fontresolver.h"
#include "paper.h"
#include "printsurface.h"
#include "textruns.h"

class QPagedPaintDevice;

namespace pobelo {

class PdfTextLayer;
class VerticalShaper;

// The print surface on a real paged device: a QPrinter set up by the printer dialog, or a
// QPdfWriter. Coordinates are twips over the whole sheet of paper; the device is put into
// full-page mode without margins when the page begins.
//
// The page begins with the first line or text drawn, so paper and orientation set before it
// apply to it; endDoc ends the job. Font, position and pen settings outlive both setDevice and
// endDoc. The surface does not own its device.
//
// Several jobs can also go onto one device as the pages of a single document (one PDF file):
// with setPagesInOneDocument(true), endDoc closes the page but keeps the document open, and the
// next line or text begins a new page on the same device, in the paper and orientation set for
// it by then. endDocument, setDevice or the surface's end closes the document.
class PainterSurface : public PrintSurface {
  public:
    explicit PainterSurface(QPagedPaintDevice* device = nullptr);
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    // Switches to another device (or none), ending a job still open on the old one.
    void setDevice(QPagedPaintDevice* device);
    QPagedPaintDevice* device() const { return device_; }

    // Draws onto a device that is no paper instead (an image shown on the screen): one page of
    // the paper and orientation the printers set, which the surface keeps itself. view maps the
    // sheet's twips onto the device, given the sheet's size as it stands (portrait or landscape
    // A4). Output paper and pages in one document do not apply; endDoc ends the drawing, and the
    // next job draws over the same device again.
    void setScreenDevice(QPaintDevice* device,
                         std::function<QTransform(const QSizeF& sheetTwips)> view);

    // Whether endDoc leaves the document open for the next job's page (off by default).
    void setPagesInOneDocument(bool on);
    bool pagesInOneDocument() const { return oneDocument_; }
    // Closes the document on the device with every page drawn so far. True when nothing was open
    // or the device finished the document.
    bool endDocument();
    // Pages begun on the current device since it was set.
    int pagesBegun() const { return pagesBegun_; }

    // The paper the sheet comes out on; A4 by default. The sheet is still laid out on A4 paper:
    // asked for A4, the surface sets the device to this paper instead, and a page begun on it
    // draws everything enlarged by enlargement(), centred on the paper, as a copier enlarges a
    // sheet. pageWidth and pageHeight stay those of A4. Takes effect from the next page.
    void setOutputPaper(Paper paper) { paper_ = paper; }
    Paper outputPaper() const { return paper_; }
    // How much an A4 sheet is enlarged to fill paper without losing an edge: 1 for A4, 257/210
    // for JIS B4 ("122 %"), 420/297 for A3 ("141 %").
    static qreal enlargement(Paper paper);
    // The device's page size for paper: JIS B4, not the ISO B4.
    static QPageSize::PageSizeId pageSizeId(Paper paper);
    // The paper that a printer set to size prints the sheet on: JIS B4 and A3 (by their id or
    // their measure), A4 for any other size.
    static Paper paperFor(const QPageSize& size);

    // The family that text is drawn with, after face-name resolution ("@" taken off).
    QString resolvedFamily() const { return family_; }
    // What to tell the user when the face name last set prints in another face ("@HG教科書体 is
    // not installed: printed in Klee One"); empty when it prints in the face it names.
    QString faceNote(NoteLanguage language = NoteLanguage::English) const {
        return pobelo::faceNote(fontName_, face_, language);
    }

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
    // Ruby is drawn where it stands, in the page's drawing order, and a text layer gets none of
    // its text: its glyphs stand in spans of no text.
    bool printRuby(const QString& text) override;
    bool endDoc() override;

    // The paper sizes setPaperSize knows, by their printer paper code (9 is A4).
    static std::optional<QPageSize::PageSizeId> pageSizeForPaperCode(int paper);
    // A page layout's sheet of paper in twips, from its size in millimetres or inches.
    static QSizeF sheetSizeTwips(const QPageLayout& layout);

  private:
    // Where queued glyphs stand: in the page as it is, or in the page turned a quarter turn
    // counter-clockwise about its top-left corner.
    enum class Frame { Page, Turned };

    // The device drawn on: the paged device, or the screen's.
    QPaintDevice* target() const;
    // The page as it is set now: the paged device's, or the one kept for the screen.
    QPageLayout currentLayout() const;
    bool beginPage();
    // Begins the painter on device for the first page of a job, at the twip scale.
    bool startPainter(QPaintDevice* device);
    // The enlargement of the page on the device as it is now set: that of the output paper when
    // the device is set to it, 1 otherwise.
    qreal deviceEnlargement() const;
    // The sheet drawn on the device as it is now set, in twips: A4 when it is enlarged.
    QSizeF drawnSheet() const;
    // From the sheet's twips to the device's coordinates on the page as the device is now set.
    QTransform pageTransform() const;
    QFont uprightFont() const;
    // The font state changed: the face and shaper are looked up again at the next text.
    void fontChanged();
    // Sets the upright font on the painter, made once per font state and device.
    void useUprightFont();
    // Makes the pen one that text can be drawn with, changing it only if it is not.
    void setTextPen();
    // Draws the queued glyphs as one glyph run.
    void flushGlyphs();
    // Draws text at the current position in the current font.
    // Draws text at the current position in the current font; ruby goes on no line of text.
    void drawText(const QString& text, bool ruby = false);
    // For a device that keeps the text layer, in the upright layout: text is kept back so that
    // the page's columns reach the document in reading order, and drawn by drawKept.
    void keepForReadingOrder(const QString& text);
    void drawKept();
    // For a device that keeps the text layer: ends the line of text unless the text about to be
    // drawn at the current position continues it.
    void followLine();
    void endLine();
    // Runs draw, which draws the characters source; for a device that keeps the text layer, as a
    // span of the page's text marked before and after.
    void drawMarked(const QString& source, const std::function<void()>& draw);
    VerticalShaper* verticalShaper();
    // Where the horizontal baseline stands below a cell's top edge, in twips.
    qreal emBoxBaseline();
    // Horizontal text with its cell's top-left corner at (x, y); centred in an em-wide cell if
    // asked. Returns its advance, measured only if measure is set (0 otherwise).
    // source is what the text stands for, as the sheet's text has it.
    qreal drawHorizontal(const QString& text, const QString& source, qreal x, qreal y,
                         bool centredInCell, bool measure = true);
    // Horizontal text standing upright in the middle of one em cell whose top edge's centre is
    // `topCentre`, narrowed to the cell if wider.
    void drawUprightInCell(const QString& text, const QString& source, QPointF topCentre);
    // A piece of vertical characters down a column in their vertical forms from `topCentre`;
    // returns the column's length.
    // The glyphs are queued in frame, shifted by offset from the painter's present frame (the
    // turned frame of the cell whose corner is at `offset` turned back, for Frame::Turned).
    qreal drawColumn(const ColumnPiece& piece, QPointF topCentre, Frame frame = Frame::Page,
                     QPointF offset = QPointF());
    // Horizontal text turned a quarter turn clockwise in the middle of the em cell whose top-left
    // corner is at corner: a half-width sign lying along a column of upright text.
    void drawSidewaysInCell(const QString& text, const QString& source, QPointF corner);

    QPagedPaintDevice* device_ = nullptr;
    QPaintDevice* screen_ = nullptr;
    std::function<QTransform(const QSizeF&)> view_;
    QPageLayout screenLayout_{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
    QPainter painter_;
    bool oneDocument_ = false;
    Paper paper_ = Paper::A4;
    bool pageOpen_ = false;
    int pagesBegun_ = 0;

    QString fontName_;
    QString family_;
    ResolvedFace face_{{}, FaceMatch::Named};
    bool vertical_ = false;
    float fontSize_ = 12;
    bool bold_ = false;
    bool italic_ = false;
    float x_ = 0;
    float y_ = 0;
    Qt::PenStyle penStyle_ = Qt::SolidLine;
    int lineWidth_ = 1;

    // Shaped faces of this surface, by family, size, weight and slant, for the device the painter
    // is on.
    std::map<QString, std::unique_ptr<VerticalShaper>> shapers_;
    // The shaper of the current font once looked up (null: the face has none).
    VerticalShaper* shaper_ = nullptr;
    bool shaperKnown_ = false;
    // The upright font of the current font state and device, once made.
    std::optional<QFont> upright_;
    bool uprightOnPainter_ = false;  // whether the painter's font is upright_

    // Glyphs of vertical columns drawn but not yet handed to the painter: one run of one shaper
    // in one frame. Anything else drawn hands them on first, so the page's drawing order stays
    // as the calls came, and a column's glyphs reach the device as one run.
    const VerticalShaper* queuedShaper_ = nullptr;
    Frame queuedFrame_ = Frame::Page;
    QList<quint32> queuedGlyphs_;
    QList<QPointF> queuedPositions_;

    // The characters the queued glyphs stand for, as the text has them.
    QString queuedSource_;
    // While ruby is drawn: what is drawn stands for no text.
    bool drawingRuby_ = false;
    // The device's text layer, if it keeps one.
    PdfTextLayer* textLayer_ = nullptr;
    // Where the last text of the line of text being drawn stands.
    std::optional<QPointF> lineEnd_;
    // Texts kept back for reading order, line by line, with the font and place each is drawn in.
    struct KeptText {
        QString family;
        bool vertical;
        float size;
        bool bold, italic;
        float x, y;
        QString text;
    };
    std::vector<std::vector<KeptText>> kept_;
};

}  // namespace pobelo
