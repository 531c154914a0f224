#include "icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace pobelo {

namespace {

const QColor kInk(0x20, 0x20, 0x20);

void paintPointingHand(QPainter& p) {
    const QColor skin(0xFF, 0xD9, 0xB3);
    const QColor outline(0x6B, 0x3A, 0x1A);
    p.setPen(QPen(outline, 1));
    // Thumb, along the left side; the back of the hand covers its root.
    p.setBrush(skin);
    QPainterPath thumb;
    thumb.moveTo(10.5, 9.5);
    thumb.cubicTo(4.5, 10.5, 4.0, 17.5, 8.5, 19.5);
    thumb.lineTo(11.5, 17.5);
    thumb.closeSubpath();
    p.drawPath(thumb);
    // Back of the hand.
    QPainterPath hand;
    hand.moveTo(9.5, 8.5);
    hand.lineTo(24.5, 8.5);
    hand.lineTo(25.5, 17.5);
    hand.quadTo(25.5, 20.5, 22.5, 20.5);
    hand.lineTo(11.5, 20.5);
    hand.quadTo(9.5, 20.5, 9.5, 17.5);
    hand.closeSubpath();
    p.drawPath(hand);
    // Sleeve and cuff at the top.
    p.setBrush(QColor(0x4A, 0x78, 0xC8));
    p.drawRect(QRectF(8.5, 0.5, 17, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 6.5, 17, 2));
    // Three curled fingers, their knuckles to the right of the pointing finger.
    p.setBrush(skin);
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(16.5 + 3 * i, 17.5, 3, 6), 1.5, 1.5);
    // The index finger pointing down.
    QPainterPath finger;
    finger.moveTo(11.5, 18.5);
    finger.lineTo(11.5, 28.5);
    finger.quadTo(11.5, 31.5, 14.0, 31.5);
    finger.quadTo(16.5, 31.5, 16.5, 28.5);
    finger.lineTo(16.5, 18.5);
    p.drawPath(finger);
    // Knuckle creases and the nail.
    p.setPen(QPen(outline.lighter(170), 1));
    p.drawLine(QPointF(12.5, 24.5), QPointF(15.5, 24.5));
    p.drawLine(QPointF(16.5, 12.5), QPointF(22.5, 12.5));
}

void paintSheet(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 3.5, 25, 25));
}

void paintWrittenSheet(QPainter& p) {
    paintSheet(p);
    // A row of answer numbers along the top.
    QFont digits(QStringLiteral("DejaVu Sans"));
    digits.setPixelSize(5);
    digits.setBold(true);
    p.setFont(digits);
    p.setPen(kInk);
    for (int i = 0; i < 5; ++i) {
        p.drawText(QRectF(5 + 4.6 * i, 4, 4.6, 6), Qt::AlignCenter, QString::number(5 - i));
    }
    p.drawLine(QPointF(4.5, 10.5), QPointF(27.5, 10.5));
    // Kanji-like strokes in three columns, read from the right.
    p.setPen(QPen(kInk, 1));
    const qreal columns[] = {24.5, 19.5, 14.5};
    for (int c = 0; c < 3; ++c) {
        const qreal x = columns[c];
        for (int k = 0; k < 3; ++k) {
            const qreal y = 12.5 + 5 * k;
            switch ((c + k) % 3) {
                case 0:  // a cross
                    p.drawLine(QPointF(x - 2, y + 1), QPointF(x + 2, y + 1));
                    p.drawLine(QPointF(x, y - 0.5), QPointF(x, y + 3));
                    break;
                case 1:  // a small box
                    p.drawRect(QRectF(x - 1.5, y, 3, 3));
                    break;
                default:  // two bars and a stem
                    p.drawLine(QPointF(x - 2, y), QPointF(x + 2, y));
                    p.drawLine(QPointF(x, y), QPointF(x, y + 3));
                    p.drawLine(QPointF(x - 2, y + 3), QPointF(x + 2, y + 3));
                    break;
            }
        }
    }
    // The red target mark.
    p.setPen(QPen(QColor(0xE0, 0x10, 0x10), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8.5, 23.0), 4.0, 4.0);
    p.setBrush(QColor(0xE0, 0x10, 0x10));
    p.drawEllipse(QPointF(8.5, 23.0), 1.5, 1.5);
}

void paintFontLetter(QPainter& p) {
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(28);
    serif.setBold(true);
    p.setFont(serif);
    p.setPen(QColor(0x1A, 0x3C, 0x8C));
    p.drawText(QRectF(0, 0, 24, 30), Qt::AlignCenter, QStringLiteral("A"));
    QFont small = serif;
    small.setPixelSize(16);
    p.setFont(small);
    p.setPen(QColor(0xB0, 0x20, 0x20));
    p.drawText(QRectF(18, 12, 14, 20), Qt::AlignCenter, QStringLiteral("a"));
}

void paintPrinter(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    // Paper going in at the top.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 2.5, 13, 10));
    // Body.
    p.setBrush(QColor(0xB8, 0xBC, 0xC4));
    p.drawRoundedRect(QRectF(3.5, 11.5, 25, 12), 2, 2);
    p.setBrush(QColor(0x30, 0xB0, 0x40));
    p.drawRect(QRectF(23.5, 14.5, 2, 2));
    // Printed sheet coming out at the front.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 19.5, 17, 10));
    for (int k = 0; k < 3; ++k) {
        p.drawLine(QPointF(10, 22.5 + 2 * k), QPointF(22, 22.5 + 2 * k));
    }
}

}  // namespace

QPixmap drawIcon(Icon icon, int size, qreal devicePixelRatio) {
    QPixmap pixmap(qRound(size * devicePixelRatio), qRound(size * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (icon) {
        case Icon::PointingHand:
            paintPointingHand(p);
            break;
        case Icon::BlankSheet:
            paintSheet(p);
            break;
        case Icon::WrittenSheet:
            paintWrittenSheet(p);
            break;
        case Icon::FontLetter:
            paintFontLetter(p);
            break;
        case Icon::Printer:
            paintPrinter(p);
            break;
    }
    return pixmap;
}

}  // namespace pobelo
