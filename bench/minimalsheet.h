#pragma once

// The least a Qt program must do to put a sheet's glyphs and lines into a PDF file: QPdfWriter
// and QPainter, each full-width character of an "@" face drawn on its own, turned a quarter turn
// (save, translate, rotate, drawText, restore). It draws what a pobelo-sheet trace records; it
// has no vertical forms, no shaping and no font resolution, so it is a floor, not a rival.
#include <QFontMetricsF>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

namespace pobelo::bench {

struct TraceOp {
    enum Kind { FontName, FontSize, X, Y, Orientation, LineWidth, Line, Text, End, Other };
    Kind kind = Other;
    QString text;
    double v[4] = {0, 0, 0, 0};
};

inline QList<TraceOp> parseTrace(const QStringList& lines) {
    QList<TraceOp> ops;
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString op = o.value(QLatin1String("op")).toString();
        TraceOp t;
        if (op == QLatin1String("setFontName")) {
            t.kind = TraceOp::FontName;
            t.text = o.value(QLatin1String("name")).toString();
        } else if (op == QLatin1String("setFontSize")) {
            t = {TraceOp::FontSize, {}, {o.value(QLatin1String("size")).toDouble()}};
        } else if (op == QLatin1String("setCurrentX")) {
            t = {TraceOp::X, {}, {o.value(QLatin1String("x")).toDouble()}};
        } else if (op == QLatin1String("setCurrentY")) {
            t = {TraceOp::Y, {}, {o.value(QLatin1String("y")).toDouble()}};
        } else if (op == QLatin1String("setOrientation")) {
            t = {TraceOp::Orientation, {}, {o.value(QLatin1String("orientation")).toDouble()}};
        } else if (op == QLatin1String("setLineWidth")) {
            t = {TraceOp::LineWidth, {}, {o.value(QLatin1String("width")).toDouble()}};
        } else if (op == QLatin1String("drawLine")) {
            t = {
                TraceOp::Line,
                {},
                {o.value(QLatin1String("x1")).toDouble(), o.value(QLatin1String("y1")).toDouble(),
                 o.value(QLatin1String("x2")).toDouble(), o.value(QLatin1String("y2")).toDouble()}};
        } else if (op == QLatin1String("printText")) {
            t.kind = TraceOp::Text;
            t.text = o.value(QLatin1String("text")).toString();
        } else if (op == QLatin1String("endDoc")) {
            t.kind = TraceOp::End;
        }
        if (t.kind != TraceOp::Other) ops.append(t);
    }
    return ops;
}

// Draws one job's operations (up to its first end) as one page of writer. False if the painter
// could not begin.
inline bool drawMinimally(const QList<TraceOp>& ops, QPdfWriter& writer) {
    for (const TraceOp& op : ops) {
        if (op.kind == TraceOp::Orientation)
            writer.setPageLayout(QPageLayout(
                QPageSize(QPageSize::A4),
                op.v[0] == 2 ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
        if (op.kind == TraceOp::Line || op.kind == TraceOp::Text) break;
    }
    QPainter p;
    if (!p.begin(&writer)) return false;
    p.scale(writer.logicalDpiX() / 1440.0, writer.logicalDpiY() / 1440.0);  // twips
    QFont font;
    QString face;
    bool turned = false;
    double x = 0, y = 0, points = 12, lineWidth = 1;
    auto setFont = [&](const QString& name) {
        face = name;
        turned = name.startsWith(QLatin1Char('@'));
        font = QFont(turned ? name.mid(1) : name);
        font.setPointSizeF(points * 1440 / writer.logicalDpiY());
    };
    for (const TraceOp& op : ops) {
        switch (op.kind) {
            case TraceOp::FontName:
                setFont(op.text);
                break;
            case TraceOp::FontSize:
                points = op.v[0];
                setFont(face);
                break;
            case TraceOp::X:
                x = op.v[0];
                break;
            case TraceOp::Y:
                y = op.v[0];
                break;
            case TraceOp::LineWidth:
                lineWidth = op.v[0];
                break;
            case TraceOp::Line:
                p.setPen(QPen(Qt::black, lineWidth * 1440 / 600));
                p.drawLine(QPointF(op.v[0], op.v[1]), QPointF(op.v[2], op.v[3]));
                break;
            case TraceOp::Text: {
                p.setFont(font);
                p.setPen(Qt::black);
                const QFontMetricsF metrics(font, &writer);
                const qreal em = points * 20;
                if (!turned) {
                    p.drawText(QPointF(x, y + metrics.ascent()), op.text);
                    break;
                }
                qreal along = x;
                for (const QChar c : op.text) {
                    if (c.unicode() < 0x2000) {
                        p.drawText(QPointF(along, y + metrics.ascent()), QString(c));
                        along += em / 2;
                        continue;
                    }
                    p.save();
                    p.translate(along, y);
                    p.rotate(-90);
                    p.drawText(QPointF(-em, metrics.ascent()), QString(c));
                    p.restore();
                    along += em;
                }
                break;
            }
            case TraceOp::End:
                return p.end();
            default:
                break;
        }
    }
    return p.end();
}

}  // namespace pobelo::bench
