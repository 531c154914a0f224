#include "paintersurface.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QRawFont>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "fontresolver.h"
#include "pdftextlayer.h"
#include "verticaltext.h"

namespace pobelo {

namespace {

constexpr qreal kTwipsPerInch = 1440;
constexpr qreal kTwipsPerPoint = 20;
constexpr qreal kTwipsPerMillimetre = kTwipsPerInch / 25.4;
// Line widths are counted in device pixels of a 600-dpi printer.
constexpr qreal kTwipsPerLinePixel = kTwipsPerInch / 600;
constexpr float kMaxFontPoints = 2048;

bool isFinite(float v) {
    return std::isfinite(v);
}

// The A4 sheet in twips, standing as layout's orientation says.
QSizeF a4Sheet(const QPageLayout& layout) {
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    return landscape ? QSizeF(kA4LongTwips, kA4ShortTwips) : QSizeF(kA4ShortTwips, kA4LongTwips);
}

}  // namespace

PainterSurface::PainterSurface(QPagedPaintDevice* device)
    : device_(device), textLayer_(dynamic_cast<PdfTextLayer*>(device)) {}

PainterSurface::~PainterSurface() {
    drawKept();
    flushGlyphs();
    if (painter_.isActive()) painter_.end();
}

void PainterSurface::setDevice(QPagedPaintDevice* device) {
    if (device == device_ && !screen_) return;
    endDocument();
    screen_ = nullptr;
    view_ = nullptr;
    device_ = device;
    textLayer_ = dynamic_cast<PdfTextLayer*>(device);
    pagesBegun_ = 0;
    fontChanged();  // the upright font's size depends on the device's resolution
}

void PainterSurface::setScreenDevice(QPaintDevice* device,
                                     std::function<QTransform(const QSizeF& sheetTwips)> view) {
    endDocument();
    device_ = nullptr;
    textLayer_ = nullptr;
    screen_ = device;
    view_ = std::move(view);
    screenLayout_ = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    pagesBegun_ = 0;
    fontChanged();
}

QPaintDevice* PainterSurface::target() const {
    if (device_) return device_;
    return screen_;
}

QPageLayout PainterSurface::currentLayout() const {
    return device_ ? device_->pageLayout() : screenLayout_;
}

void PainterSurface::setPagesInOneDocument(bool on) {
    oneDocument_ = on;
    // A document left open between jobs is finished when jobs go back to being documents.
    if (!on && !pageOpen_) endDocument();
}

bool PainterSurface::endDocument() {
    drawKept();
    flushGlyphs();
    pageOpen_ = false;
    if (!painter_.isActive()) return true;
    return painter_.end();
}

std::optional<QPageSize::PageSizeId> PainterSurface::pageSizeForPaperCode(int paper) {
    switch (paper) {
        case 1:
            return QPageSize::Letter;
        case 5:
            return QPageSize::Legal;
        case 8:
            return QPageSize::A3;
        case kPaperA4:
            return QPageSize::A4;
        case 11:
            return QPageSize::A5;
        case 12:
            return QPageSize::JisB4;
        case 13:
            return QPageSize::JisB5;
        default:
            return std::nullopt;
    }
}

qreal PainterSurface::enlargement(Paper paper) {
    // The A4 sheet grows until one of its sides meets the paper's edge.
    const QSizeF a4 = QPageSize::definitionSize(QPageSize::A4);
    const QSizeF size = QPageSize::definitionSize(pageSizeId(paper));
    return std::min(size.width() / a4.width(), size.height() / a4.height());
}

QPageSize::PageSizeId PainterSurface::pageSizeId(Paper paper) {
    switch (paper) {
        case Paper::B4:
            return QPageSize::JisB4;
        case Paper::A3:
            return QPageSize::A3;
        case Paper::A4:
            break;
    }
    return QPageSize::A4;
}

Paper PainterSurface::paperFor(const QPageSize& size) {
    // A printer's own paper list may name the size its own way: its measure tells it.
    QPageSize::PageSizeId id = size.id();
    if (id == QPageSize::Custom && size.isValid()) {
        id = QPageSize::id(size.size(QPageSize::Millimeter), QPageSize::Millimeter,
                           QPageSize::FuzzyOrientationMatch);
    }
    for (Paper paper : {Paper::B4, Paper::A3}) {
        if (id == pageSizeId(paper)) return paper;
    }
    return Paper::A4;
}

QSizeF PainterSurface::sheetSizeTwips(const QPageLayout& layout) {
    // From the paper's defining size: Qt's point sizes round A4 to 595 x 842.
    const QPageSize& size = layout.pageSize();
    QSizeF twips;
    switch (size.definitionUnits()) {
        case QPageSize::Inch:
            twips = size.definitionSize() * kTwipsPerInch;
            break;
        case QPageSize::Point:
            twips = size.definitionSize() * kTwipsPerPoint;
            break;
        case QPageSize::Millimeter:
            twips = size.definitionSize() * kTwipsPerMillimetre;
            break;
        default:
            twips = size.size(QPageSize::Millimeter) * kTwipsPerMillimetre;
            break;
    }
    // A defining size may be given either way round; the sheet stands as the orientation says.
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    if ((twips.width() > twips.height()) != landscape) twips.transpose();
    return QSizeF(std::round(twips.width()), std::round(twips.height()));
}

bool PainterSurface::setFontName(const QString& name) {
    if (stripVerticalMark(name).trimmed().isEmpty()) return false;
    const ResolvedFace face = resolveFace(name);
    if (face.family.isEmpty()) return false;
    fontName_ = name;
    family_ = face.family;
    face_ = face;
    vertical_ = isVerticalFaceName(name);
    fontChanged();
    return true;
}

bool PainterSurface::setFontSize(float points) {
    if (!isFinite(points) || points <= 0 || points > kMaxFontPoints) return false;
    if (points != fontSize_) fontChanged();
    fontSize_ = points;
    return true;
}

bool PainterSurface::setFontBold(bool on) {
    if (on != bold_) fontChanged();
    bold_ = on;
    return true;
}

bool PainterSurface::setFontItalic(bool on) {
    if (on != italic_) fontChanged();
    italic_ = on;
    return true;
}

void PainterSurface::fontChanged() {
    shaperKnown_ = false;
    shaper_ = nullptr;
    upright_.reset();
    uprightOnPainter_ = false;
}

bool PainterSurface::setCurrentX(float twips) {
    if (!isFinite(twips)) return false;
    x_ = twips;
    return true;
}

bool PainterSurface::setCurrentY(float twips) {
    if (!isFinite(twips)) return false;
    y_ = twips;
    return true;
}

qreal PainterSurface::deviceEnlargement() const {
    if (!device_ || paper_ == Paper::A4) return 1;
    // A printer may hold the paper under its own name and measure.
    const bool onPaper = paperFor(device_->pageLayout().pageSize()) == paper_;
    return onPaper ? enlargement(paper_) : 1;
}

QSizeF PainterSurface::drawnSheet() const {
    const QPageLayout page = currentLayout();
    // An enlarged sheet is drawn as the A4 sheet it is.
    return deviceEnlargement() != 1 ? a4Sheet(page) : sheetSizeTwips(page);
}

std::optional<float> PainterSurface::pageWidth() {
    if (!target()) return std::nullopt;
    return float(drawnSheet().width());
}

std::optional<float> PainterSurface::pageHeight() {
    if (!target()) return std::nullopt;
    return float(drawnSheet().height());
}

bool PainterSurface::setPaperSize(int paper) {
    if (screen_) {
        const auto id = pageSizeForPaperCode(paper);
        if (!id) return false;
        screenLayout_.setPageSize(QPageSize(*id));
        return true;
    }
    if (!device_) return false;
    // A4 is the sheet's paper; it comes out on the output paper.
    if (paper == kPaperA4 && paper_ != Paper::A4) {
        device_->setPageSize(QPageSize(pageSizeId(paper_)));
        return deviceEnlargement() != 1;
    }
    const auto id = pageSizeForPaperCode(paper);
    if (!id) return false;
    const QPageSize wanted(*id);
    device_->setPageSize(wanted);
    return device_->pageLayout().pageSize().isEquivalentTo(wanted);
}

bool PainterSurface::setOrientation(int orientation) {
    if (!target()) return false;
    QPageLayout::Orientation wanted;
    if (orientation == kOrientationPortrait) {
        wanted = QPageLayout::Portrait;
    } else if (orientation == kOrientationLandscape) {
        wanted = QPageLayout::Landscape;
    } else {
        return false;
    }
    if (screen_) {
        screenLayout_.setOrientation(wanted);
        return true;
    }
    device_->setPageOrientation(wanted);
    return device_->pageLayout().orientation() == wanted;
}

bool PainterSurface::setLineStyle(int style) {
    switch (style) {
        case 0:  // solid
        case 6:  // solid, inside the frame
            penStyle_ = Qt::SolidLine;
            return true;
        case 1:
            penStyle_ = Qt::DashLine;
            return true;
        case 2:
            penStyle_ = Qt::DotLine;
            return true;
        case 3:
            penStyle_ = Qt::DashDotLine;
            return true;
        case 4:
            penStyle_ = Qt::DashDotDotLine;
            return true;
        case 5:  // transparent
            penStyle_ = Qt::NoPen;
            return true;
        default:
            return false;
    }
}

bool PainterSurface::setLineWidth(int pixels) {
    if (pixels < 1 || pixels > 32767) return false;
    lineWidth_ = pixels;
    return true;
}

bool PainterSurface::beginPage() {
    if (painter_.isActive() && pageOpen_) return true;
    if (screen_) {
        // The screen's page: one, drawn over again by each job.
        return !painter_.isActive() && startPainter(screen_);
    }
    if (!device_) return false;

    // The whole sheet is the drawing area, without margins. A device that keeps its margins
    // (a printer whose driver insists on them) still gets its origin moved to the paper's corner.
    QPageLayout fullPage = device_->pageLayout();
    fullPage.setMode(QPageLayout::FullPageMode);
    fullPage.setMargins(QMarginsF());
    device_->setPageLayout(fullPage);

    if (painter_.isActive()) {
        // The document stayed open after the last job: this job is its next page, laid out as
        // the device is now set. The painter keeps its twip scale, and an enlarged page's
        // place on its paper follows the page's orientation.
        // The page is written out as the next one begins: its last line ends with it.
        flushGlyphs();
        endLine();
        if (!device_->newPage()) return false;
        pageOpen_ = true;
        ++pagesBegun_;
        const QTransform page = pageTransform();
        if (painter_.transform() != page) painter_.setTransform(page);
        return true;
    }
    return startPainter(device_);
}

bool PainterSurface::startPainter(QPaintDevice* device) {
    if (!painter_.begin(device)) return false;
    uprightOnPainter_ = false;
    pageOpen_ = true;
    ++pagesBegun_;
    painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter_.setTransform(pageTransform());
    return true;
}

QTransform PainterSurface::pageTransform() const {
    if (screen_) return view_ ? view_(sheetSizeTwips(screenLayout_)) : QTransform();
    QTransform page;
    page.scale(device_->logicalDpiX() / kTwipsPerInch, device_->logicalDpiY() / kTwipsPerInch);
    const QPageLayout layout = device_->pageLayout();
    const QPointF origin = layout.paintRect(QPageLayout::Point).topLeft();
    page.translate(-origin.x() * kTwipsPerPoint, -origin.y() * kTwipsPerPoint);
    const qreal scale = deviceEnlargement();
    if (scale == 1) return page;
    // The enlarged A4 sheet in the middle of its paper: the side that does not fill the paper
    // leaves a strip of under a millimetre, shared by both edges.
    const QSizeF spare = sheetSizeTwips(layout) - a4Sheet(layout) * scale;
    page.translate(spare.width() / 2, spare.height() / 2);
    page.scale(scale, scale);
    return page;
}

bool PainterSurface::drawLine(float x1, float y1, float x2, float y2, int color) {
    if (!isFinite(x1) || !isFinite(y1) || !isFinite(x2) || !isFinite(y2)) return false;
    if (color < 0 || color > 0xFFFFFF) return false;
    if (!beginPage()) return false;
    if (x1 == x2 && y1 == y2) return true;  // a line of no length leaves no mark
    drawKept();
    flushGlyphs();
    const QColor rgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    QPen pen(rgb, lineWidth_ * kTwipsPerLinePixel, penStyle_, Qt::FlatCap, Qt::MiterJoin);
    // On the screen a line thinner than a pixel is drawn one pixel wide, as a printer draws it
    // one dot wide, rather than as a faint grey.
    if (screen_ && pen.widthF() * std::sqrt(std::abs(painter_.transform().determinant())) < 1) {
        pen.setWidthF(1);
        pen.setCosmetic(true);
    }
    painter_.setPen(pen);
    painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    return true;
}

QFont PainterSurface::uprightFont() const {
    QFont font(family_);
    // The painter draws in twips; the font's em is to be fontSize_ points of them.
    const int dpi = target() ? target()->logicalDpiY() : 1200;
    font.setPointSizeF(fontSize_ * kTwipsPerInch / dpi);
    font.setBold(bold_);
    font.setItalic(italic_);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

VerticalShaper* PainterSurface::verticalShaper() {
    if (shaperKnown_) return shaper_;
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(family_)
                            .arg(double(fontSize_))
                            .arg(int(bold_))
                            .arg(int(italic_));
    auto it = shapers_.find(key);
    if (it == shapers_.end()) {
        QFont font(family_);
        font.setBold(bold_);
        font.setItalic(italic_);
        font.setStyleStrategy(QFont::PreferOutline);
        QRawFont raw = QRawFont::fromFont(font);
        if (raw.isValid()) raw.setPixelSize(fontSize_ * kTwipsPerPoint);
        it = shapers_.emplace(key, std::make_unique<VerticalShaper>(raw)).first;
    }
    shaper_ = it->second->isValid() ? it->second.get() : nullptr;
    shaperKnown_ = true;
    return shaper_;
}

void PainterSurface::useUprightFont() {
    if (!upright_) upright_ = uprightFont();
    if (!uprightOnPainter_) painter_.setFont(*upright_);
    uprightOnPainter_ = true;
}

void PainterSurface::setTextPen() {
    // Text is drawn in the pen's colour, black; the pen's width and dashes do not touch glyphs.
    const QPen& pen = painter_.pen();
    if (pen.style() == Qt::NoPen || pen.color() != Qt::black ||
        pen.brush().style() != Qt::SolidPattern)
        painter_.setPen(Qt::black);
}

void PainterSurface::flushGlyphs() {
    if (queuedGlyphs_.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(queuedShaper_->rawFont());
    run.setGlyphIndexes(queuedGlyphs_);
    run.setPositions(queuedPositions_);
    queuedGlyphs_.clear();
    queuedPositions_.clear();
    const QString source = std::exchange(queuedSource_, QString());
    // Only the transformation changes, and back: the device is not told again of a pen or font
    // it already has.
    setTextPen();
    const QTransform page = painter_.transform();
    if (queuedFrame_ == Frame::Turned) painter_.rotate(-90);
    drawMarked(source, [&] { painter_.drawGlyphRun(QPointF(0, 0), run); });
    if (queuedFrame_ == Frame::Turned) painter_.setTransform(page);
}

void PainterSurface::followLine() {
    if (!textLayer_) return;
    // A text goes on the line when it follows the last one along it, at most two ems further:
    // the characters of a sentence, a title or a column, and the two of the name field. A line
    // that ends hands its glyphs on, so that no span holds two lines.
    const qreal em = fontSize_ * kTwipsPerPoint;
    const QPointF here(x_, y_);
    bool continues = false;
    if (lineEnd_) {
        const QPointF step = here - *lineEnd_;
        const qreal along = vertical_ ? step.x() : step.y();
        const qreal across = vertical_ ? step.y() : step.x();
        continues = across == 0 && along > 0 && along <= 2 * em;
    }
    if (!continues) endLine();
    lineEnd_ = here;
}

void PainterSurface::endLine() {
    if (!textLayer_) return;
    flushGlyphs();
    textLayer_->endLine();
    lineEnd_.reset();
}

void PainterSurface::drawMarked(const QString& source, const std::function<void()>& draw) {
    if (!textLayer_ || (source.isEmpty() && !drawingRuby_)) {
        draw();
        return;
    }
    // The marks are drawn in the frame the text is drawn in, so that the span's glyphs and its
    // end stand in one coordinate system.
    const int span = drawingRuby_ ? textLayer_->beginSilentSpan() : textLayer_->beginSpan();
    if (!drawingRuby_) textLayer_->addText(source);
    painter_.drawLine(spanMark(span, false));
    draw();
    painter_.drawLine(spanMark(span, true));
}

qreal PainterSurface::emBoxBaseline() {
    if (VerticalShaper* shaper = verticalShaper()) return shaper->emBoxBaseline();
    const QFontMetricsF metrics(uprightFont(), painter_.device());
    return metrics.ascent() * fontSize_ * kTwipsPerPoint / (metrics.ascent() + metrics.descent());
}

qreal PainterSurface::drawHorizontal(const QString& text, const QString& source, qreal x, qreal y,
                                     bool centredInCell, bool measure) {
    flushGlyphs();
    const qreal em = fontSize_ * kTwipsPerPoint;
    const qreal baseline = emBoxBaseline();
    setTextPen();
    useUprightFont();
    if (!centredInCell) {
        drawMarked(source, [&] { painter_.drawText(QPointF(x, y + baseline), text); });
        return measure ? QFontMetricsF(painter_.font(), painter_.device()).horizontalAdvance(text)
                       : 0;
    }
    const QFontMetricsF metrics(painter_.font(), painter_.device());
    const qreal width = metrics.horizontalAdvance(text);
    drawMarked(source,
               [&] { painter_.drawText(QPointF(x + (em - width) / 2, y + baseline), text); });
    return em;
}

void PainterSurface::drawUprightInCell(const QString& text, const QString& source,
                                       QPointF topCentre) {
    flushGlyphs();
    const qreal em = fontSize_ * kTwipsPerPoint;
    const qreal baseline = emBoxBaseline();
    setTextPen();
    useUprightFont();
    const QFontMetricsF metrics(painter_.font(), painter_.device());
    const qreal width = metrics.horizontalAdvance(text);
    // Text wider than the cell is narrowed to fit it, as tate-chu-yoko does with its digits.
    const qreal squeeze = width > em ? em / width : 1;
    // The transformation alone is set and set back, rather than the whole state saved and
    // restored: a save hands the state to the device, which writes it out even unused.
    const QTransform outer = painter_.transform();
    painter_.translate(topCentre.x(), topCentre.y() + baseline);
    painter_.scale(squeeze, 1);
    drawMarked(source, [&] { painter_.drawText(QPointF(-width / 2, 0), text); });
    painter_.setTransform(outer);
}

qreal PainterSurface::drawColumn(const ColumnPiece& piece, QPointF topCentre, Frame frame,
                                 QPointF offset) {
    const qreal em = fontSize_ * kTwipsPerPoint;
    VerticalShaper* shaper = verticalShaper();
    qreal advance = 0;
    for (const FaceRun& run : faceRuns(shaper, piece)) {
        if (run.inFace) {
            const VerticalShaper::Column column = shaper->shape(run.text);
            if (queuedShaper_ != shaper || queuedFrame_ != frame) flushGlyphs();
            queuedShaper_ = shaper;
            queuedFrame_ = frame;
            queuedGlyphs_.append(column.glyphs);
            queuedSource_ += run.source;
            for (const QPointF& p : column.positions)
                queuedPositions_.append(p + topCentre + QPointF(0, advance) + offset);
            advance += column.length;
            continue;
        }
        // A character the face lacks is drawn from a font that has it, upright in an em cell.
        const QTransform page = painter_.transform();
        if (frame == Frame::Turned) {
            flushGlyphs();
            painter_.translate(offset.y(), -offset.x());
            painter_.rotate(-90);
        }
        drawUprightInCell(run.text, run.source, topCentre + QPointF(0, advance));
        painter_.setTransform(page);
        advance += em;
    }
    return advance;
}

void PainterSurface::drawSidewaysInCell(const QString& text, const QString& source,
                                        QPointF corner) {
    flushGlyphs();
    const qreal em = fontSize_ * kTwipsPerPoint;
    const QTransform page = painter_.transform();
    // Turned a quarter turn clockwise about the cell's middle, the line runs down the column.
    painter_.translate(corner + QPointF(em / 2, em / 2));
    painter_.rotate(90);
    drawHorizontal(text, source, -em / 2, -em / 2, true, false);
    painter_.setTransform(page);
}

bool PainterSurface::printText(const QString& text) {
    if (text.isEmpty()) return true;
    if (family_.isEmpty()) family_ = resolveFaceName(QString());
    if (family_.isEmpty() || !beginPage()) return false;
    if (textLayer_ && !vertical_) {
        keepForReadingOrder(text);
        return true;
    }
    drawText(text);
    return true;
}

bool PainterSurface::printRuby(const QString& text) {
    if (!textLayer_) return printText(text);
    if (text.isEmpty()) return true;
    if (family_.isEmpty()) family_ = resolveFaceName(QString());
    if (family_.isEmpty() || !beginPage()) return false;
    // The glyphs of the text before it go in their own run, with their text.
    flushGlyphs();
    drawingRuby_ = true;
    drawText(text, true);
    flushGlyphs();
    drawingRuby_ = false;
    return true;
}

void PainterSurface::keepForReadingOrder(const QString& text) {
    // Columns are read from right to left: columns side by side that begin at one height and
    // are drawn from the left are kept until the row ends, then drawn from the right. Every
    // text is black, so the order leaves the page as it would be.
    const KeptText kept{family_, vertical_, fontSize_, bold_, italic_, x_, y_, text};
    const qreal em = fontSize_ * kTwipsPerPoint;
    if (!kept_.empty()) {
        const KeptText& last = kept_.back().back();
        const qreal along = y_ - last.y;
        if (x_ == last.x && along > 0 && along <= 2 * em) {
            kept_.back().push_back(kept);
            return;
        }
        const KeptText& lineStart = kept_.back().front();
        if (y_ != lineStart.y || x_ <= lineStart.x) drawKept();
    }
    kept_.push_back({kept});
}

void PainterSurface::drawKept() {
    if (kept_.empty()) return;
    const KeptText now{family_, vertical_, fontSize_, bold_, italic_, x_, y_, {}};
    auto use = [this](const KeptText& t) {
        if (t.family != family_ || t.size != fontSize_ || t.bold != bold_ || t.italic != italic_)
            fontChanged();
        family_ = t.family;
        vertical_ = t.vertical;
        fontSize_ = t.size;
        bold_ = t.bold;
        italic_ = t.italic;
        x_ = t.x;
        y_ = t.y;
    };
    const std::vector<std::vector<KeptText>> lines = std::exchange(kept_, {});
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        for (const KeptText& t : *line) {
            use(t);
            drawText(t.text);
        }
    }
    use(now);
}

void PainterSurface::drawText(const QString& text, bool ruby) {
    const qreal em = fontSize_ * kTwipsPerPoint;
    const QList<ColumnPiece> pieces = columnPieces(text);
    if (!ruby) followLine();

    if (!vertical_) {
        // One character is one cell of a column: drawn in its vertical form, upright in the
        // middle of the cell, or turned along the column. A longer text runs along the line.
        if (pieces.size() != 1 || pieces.first().cells.size() != 1) {
            drawHorizontal(text, text, x_, y_, false, false);
            return;
        }
        const ColumnPiece& piece = pieces.first();
        switch (piece.setting) {
            case CellSetting::Vertical:
                drawColumn(piece, QPointF(x_ + em / 2, y_));
                break;
            case CellSetting::Upright:
                drawHorizontal(piece.cells.first(), piece.sources.first(), x_, y_, true, false);
                break;
            case CellSetting::Sideways:
                drawSidewaysInCell(piece.cells.first(), piece.sources.first(), QPointF(x_, y_));
                break;
        }
        return;
    }

    // The column runs along X and is read with the sheet turned a quarter turn clockwise. What
    // stands upright in the column is drawn turned a quarter turn counter-clockwise about the
    // cell's top-left corner: the turned frame's y runs along the page's X, its x against the
    // page's Y, so the column's top centre lies at (-em / 2, 0). Turned about the page's corner
    // instead, the cell's corner (x, y) lies at (-y, x): columns are queued in that frame.
    qreal x = x_;
    for (const ColumnPiece& piece : pieces) {
        switch (piece.setting) {
            case CellSetting::Vertical:
                drawColumn(piece, QPointF(-em / 2, 0), Frame::Turned, QPointF(-y_, x));
                break;
            case CellSetting::Upright: {
                flushGlyphs();
                const QTransform page = painter_.transform();
                painter_.translate(x, y_);
                painter_.rotate(-90);
                drawUprightInCell(piece.cells.first(), piece.sources.first(), QPointF(-em / 2, 0));
                painter_.setTransform(page);
                break;
            }
            case CellSetting::Sideways:
                drawHorizontal(piece.cells.first(), piece.sources.first(), x, y_, true, false);
                break;
        }
        // The measurer advances by the same rule.
        x += pieceLength(piece, verticalShaper(), em);
    }
}

bool PainterSurface::endDoc() {
    if (!painter_.isActive()) return true;
    drawKept();
    endLine();
    flushGlyphs();
    if (oneDocument_) {
        pageOpen_ = false;
        return true;
    }
    return endDocument();
}

}  // namespace pobelo
