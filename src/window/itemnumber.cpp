#include "itemnumber.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace pobelo {

void ItemNumberLabel::setMissed(bool on) {
    if (missed_ == on) return;
    missed_ = on;
    update();
}

void ItemNumberLabel::paintEvent(QPaintEvent*) {
    static const QColor missedRed(0xD0, 0x00, 0x00);
    QPainter painter(this);
    if (missed_) painter.fillRect(rect(), QColor(0xFF, 0xD8, 0xD8));
    drawFrame(&painter);
    const QRect box = contentsRect();
    const QFontMetricsF metrics(font());
    const QRectF ink = metrics.tightBoundingRect(QStringLiteral("0123456789"));
    const qreal baseline = box.top() + (box.height() - ink.height()) / 2 - ink.top();
    const QFontMetrics whole(font());
    const QRect line(box.left(), qRound(baseline) - whole.ascent(), box.width(), whole.height());
    QPalette shown = palette();
    if (missed_) shown.setColor(QPalette::WindowText, missedRed);
    style()->drawItemText(&painter, line, Qt::AlignHCenter | Qt::AlignTop, shown, isEnabled(),
                          text(), foregroundRole());
    if (missed_) {
        painter.setPen(QPen(missedRed, 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

}  // namespace pobelo
