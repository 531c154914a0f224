#include "livesheet.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "sheetgeometry.h"
#include "sheetprinters.h"

namespace pobelo {

namespace {

// Room around the paper, and under it for the paper's caption, in pixels.
constexpr int kMargin = 6;
const QColor kFindingColour(0xD0, 0x10, 0x10);
const QColor kSelectionColour(0x10, 0x60, 0xE0);

// Where the sheet stands on the widget: as large as area holds, in its middle, a portrait sheet
// (the vertical layout) turned a quarter turn clockwise so that its text reads upright. rect is
// the paper's place.
QTransform viewOf(const QSizeF& sheet, const QRectF& area, QRectF* rect) {
    const bool turned = sheet.height() > sheet.width();
    const QSizeF shown = turned ? sheet.transposed() : sheet;
    const qreal s = std::min(area.width() / shown.width(), area.height() / shown.height());
    const QSizeF size = shown * s;
    const QPointF origin = area.center() - QPointF(size.width() / 2, size.height() / 2);
    if (rect) *rect = QRectF(origin, size);
    // Turned: the paper's top edge becomes its right edge.
    return turned ? QTransform(0, s, -s, 0, origin.x() + size.width(), origin.y())
                  : QTransform(s, 0, 0, s, origin.x(), origin.y());
}

QSizeF sheetSize(bool vertical) {
    return vertical ? QSizeF(kA4ShortTwips, kA4LongTwips) : QSizeF(kA4LongTwips, kA4ShortTwips);
}

// The row a circled number stands for; -1 for any other text.
int rowOf(const QString& item) {
    for (int row = 0; row < 10; ++row)
        if (item == itemNumber(row)) return row;
    return -1;
}

bool isItem(SheetPart::Kind kind) {
    return kind == SheetPart::Sentence || kind == SheetPart::Answer ||
           kind == SheetPart::AnswerNumber;
}

}  // namespace

LiveSheet::LiveSheet(SheetModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("LiveSheet"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LiveSheet::setShowsKey(bool key) {
    if (key_ == key) return;
    key_ = key;
    modelChanged();
}

void LiveSheet::modelChanged() {
    stale_ = true;
    update();
}

QSize LiveSheet::sizeHint() const {
    return QSize(560, 400);
}

QSize LiveSheet::minimumSizeHint() const {
    return QSize(80, 60);
}

QString LiveSheet::paperText() const {
    QString paper;
    switch (model_.sheet().paper) {
        case Paper::A4:
            paper = QStringLiteral("A4");
            break;
        case Paper::B4:
            paper = QStringLiteral("B4（JIS、A4を122%に拡大）");
            break;
        case Paper::A3:
            paper = QStringLiteral("A3（A4を141%に拡大）");
            break;
    }
    return shown_.content.vertical()
               ? paper + QStringLiteral(" 縦・縦書き（用紙を右に回して読む向きで表示）")
               : paper + QStringLiteral(" 横・横書き");
}

void LiveSheet::render() {
    stale_ = false;
    const qreal dpr = devicePixelRatioF();
    const QSize pixels(qCeil(width() * dpr), qCeil(height() * dpr));
    if (image_.size() != pixels) image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(dpr);
    image_.fill(palette().color(QPalette::Window));

    shown_ = model_.shown(key_);
    const int caption = fontMetrics().height() + 2;
    const QRectF area = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin - caption);
    view_ = viewOf(sheetSize(shown_.content.vertical()), area, &sheetOnWidget_);
    {
        QPainter paper(&image_);
        paper.fillRect(sheetOnWidget_.translated(2, 2), QColor(0, 0, 0, 50));
        paper.fillRect(sheetOnWidget_, Qt::white);
    }
    // The printers draw on the image as on paper; the view stands the sheet as it is read.
    surface_.setScreenDevice(&image_,
                             [area](const QSizeF& sheet) { return viewOf(sheet, area, nullptr); });
    drawSheet(shown_.content, shown_.fit, surface_);
    surface_.endDoc();
    surface_.setScreenDevice(nullptr, {});
    // Em-wide cells place items and findings well enough to point at them.
    cells_ = layOutCells(shown_.content, nullptr, &shown_.fit);
}

QRectF LiveSheet::placeOf(const Finding& finding) const {
    SheetPart::Kind kind = SheetPart::Sentence;
    const int row = rowOf(finding.item);
    if (row >= 0) {
        if (finding.what.startsWith(finding.item + QStringLiteral(" の解答")))
            kind = SheetPart::Answer;
        else if (finding.what.startsWith(finding.item + QStringLiteral(" の番号")))
            kind = SheetPart::AnswerNumber;
    } else if (finding.item == QStringLiteral("表題")) {
        kind = SheetPart::Title;
    } else if (finding.item == QStringLiteral("名前")) {
        kind = SheetPart::NameField;
    } else if (finding.item == QStringLiteral("印")) {
        kind = SheetPart::Mark;
    } else if (finding.item == QStringLiteral("解答")) {
        kind = SheetPart::KeyMark;
    }
    QRectF place;
    for (const LaidOutCell& cell : cells_) {
        if (cell.part.kind == kind && cell.part.rightPage == finding.rightPage &&
            (row < 0 || cell.part.item == row))
            place = place.united(cell.rect);
    }
    return place;
}

std::optional<SheetPart> LiveSheet::itemAt(const QPoint& point) const {
    bool invertible = false;
    const QPointF twips = view_.inverted(&invertible).map(QPointF(point));
    if (!invertible) return std::nullopt;
    // A little room around each character, so that a click between two still finds its item.
    for (const LaidOutCell& cell : cells_) {
        if (isItem(cell.part.kind) && cell.rect.adjusted(-80, -80, 80, 80).contains(twips))
            return cell.part;
    }
    return std::nullopt;
}

void LiveSheet::select(int page, int row) {
    selectedPage_ = page;
    selectedRow_ = row;
    update();
}

void LiveSheet::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (stale_ || image_.size() != QSize(qCeil(width() * dpr), qCeil(height() * dpr))) render();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), image_);
    p.setRenderHint(QPainter::Antialiasing);

    // What the check before printing finds, framed where it happens.
    for (const Finding& finding : shown_.findings) {
        const QRectF place = placeOf(finding);
        if (place.isEmpty()) continue;
        p.setPen(QPen(kFindingColour, 2));
        p.setBrush(QColor(kFindingColour.red(), kFindingColour.green(), kFindingColour.blue(), 40));
        p.drawRoundedRect(view_.mapRect(place).adjusted(-2, -2, 2, 2), 3, 3);
    }
    if (selectedPage_ >= 0) {
        QRectF place;
        for (const LaidOutCell& cell : cells_) {
            if (isItem(cell.part.kind) && cell.part.rightPage == (selectedPage_ == 0) &&
                cell.part.item == selectedRow_)
                place = place.united(view_.mapRect(cell.rect));
        }
        if (!place.isEmpty()) {
            p.setPen(QPen(kSelectionColour, hasFocus() ? 2 : 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(place.adjusted(-2, -2, 2, 2));
        }
    }

    // The paper and its orientation, and how many findings are framed.
    QString caption = paperText();
    if (!shown_.findings.isEmpty())
        caption += QStringLiteral("　はみ出しなど %1 か所（赤い枠）").arg(shown_.findings.size());
    const QRectF under(sheetOnWidget_.left(), sheetOnWidget_.bottom() + 2,
                       std::max<qreal>(sheetOnWidget_.width(), 10), fontMetrics().height());
    p.setPen(shown_.findings.isEmpty() ? palette().color(QPalette::WindowText) : kFindingColour);
    p.drawText(under, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               fontMetrics().elidedText(caption, Qt::ElideRight, int(under.width())));
}

void LiveSheet::resizeEvent(QResizeEvent* event) {
    stale_ = true;
    QWidget::resizeEvent(event);
}

void LiveSheet::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const std::optional<SheetPart> part = itemAt(event->position().toPoint());
    if (!part || event->button() != Qt::LeftButton) return;
    const int page = part->rightPage ? 0 : 1;
    select(page, part->item);
    Q_EMIT itemSelected(page, part->item);
}

void LiveSheet::keyPressEvent(QKeyEvent* event) {
    // The items in reading order, the right page's first: the next one lies left of (or below)
    // the last.
    int step = 0;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            step = 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selectedPage_ >= 0) {
                Q_EMIT itemSelected(selectedPage_, selectedRow_);
                return;
            }
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    int at = selectedPage_ < 0 ? (step > 0 ? -1 : 20) : selectedPage_ * 10 + selectedRow_;
    for (int tried = 0; tried < 20; ++tried) {
        at += step;
        if (at < 0 || at >= 20) break;
        if (!model_.itemAt(at / 10, at % 10).isEmpty()) {
            select(at / 10, at % 10);
            return;
        }
    }
}

bool LiveSheet::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        for (const Finding& finding : shown_.findings) {
            const QRectF place = view_.mapRect(placeOf(finding)).adjusted(-2, -2, 2, 2);
            if (place.contains(at)) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), finding.line(),
                                   this);
                return true;
            }
        }
    }
    return QWidget::event(event);
}

LiveSheetPane::LiveSheetPane(SheetModel& model, qreal fontPoints, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("livePane"));
    QFont small = font();
    small.setPointSizeF(fontPoints);
    setFont(small);
    questions_ = new QRadioButton(QStringLiteral("問題"), this);
    questions_->setObjectName(QStringLiteral("ShowSheet"));
    questions_->setChecked(true);
    key_ = new QRadioButton(QStringLiteral("解答"), this);
    key_->setObjectName(QStringLiteral("ShowKey"));
    // Tab reaches the switch whatever the style says of buttons.
    for (QRadioButton* button : {questions_, key_}) button->setFocusPolicy(Qt::StrongFocus);
    auto* group = new QButtonGroup(this);
    group->addButton(questions_);
    group->addButton(key_);
    sheet_ = new LiveSheet(model, this);

    auto* switches = new QHBoxLayout;
    switches->setContentsMargins(kMargin, 2, kMargin, 0);
    switches->addWidget(questions_);
    switches->addWidget(key_);
    switches->addStretch(1);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addLayout(switches);
    stack->addWidget(sheet_, 1);

    connect(key_, &QRadioButton::toggled, sheet_, &LiveSheet::setShowsKey);
    connect(&model, &SheetModel::changed, sheet_, &LiveSheet::modelChanged);
}

}  // namespace pobelo
