// Draws the program's icon, a filled-in kanji test sheet with a red mark, as PNG files of the
// sizes given: makeicon OUTDIR SIZE... writes OUTDIR/SIZE/pobelo.png. Run at build time.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {

const QColor kInk(0x2A, 0x2A, 0x2A);
const QColor kPencil(0x7A, 0x80, 0x8C);
const QColor kRed(0xD8, 0x1E, 0x1E);

// One kanji-like glyph of strokes in a cell of size s at (x, y), picked by kind.
void glyph(QPainter& p, qreal x, qreal y, qreal s, int kind) {
    QPainterPath path;
    switch (kind % 4) {
        case 0:  // 十
            path.moveTo(x, y + s / 2);
            path.lineTo(x + s, y + s / 2);
            path.moveTo(x + s / 2, y);
            path.lineTo(x + s / 2, y + s);
            break;
        case 1:  // 口
            path.addRect(QRectF(x + s * 0.1, y + s * 0.1, s * 0.8, s * 0.8));
            break;
        case 2:  // 工
            path.moveTo(x + s * 0.1, y + s * 0.1);
            path.lineTo(x + s * 0.9, y + s * 0.1);
            path.moveTo(x + s / 2, y + s * 0.1);
            path.lineTo(x + s / 2, y + s * 0.9);
            path.moveTo(x, y + s * 0.9);
            path.lineTo(x + s, y + s * 0.9);
            break;
        default:  // 人
            path.moveTo(x + s / 2, y);
            path.quadTo(x + s * 0.45, y + s * 0.7, x, y + s);
            path.moveTo(x + s * 0.5, y + s * 0.45);
            path.quadTo(x + s * 0.7, y + s * 0.8, x + s, y + s);
            break;
    }
    p.drawPath(path);
}

// The picture on a 256 x 256 design grid; detail is left out below 64 pixels.
void paint(QPainter& p, int size) {
    const bool small = size < 64;
    const qreal px = 256.0 / size;  // one device pixel in design units

    // The sheet, slightly turned, with a soft shadow.
    p.save();
    p.translate(128, 128);
    p.rotate(-4);
    p.translate(-128, -128);
    const QRectF sheet(44, 14, 168, 228);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(sheet.translated(6, 6), 6, 6);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x55, 0x5B, 0x66), qMax(3.0, 1.5 * px)));
    p.drawRoundedRect(sheet, 6, 6);

    // Title frame down the right edge, as on the printed sheet.
    p.setPen(QPen(kInk, qMax(3.0, 1.2 * px)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(184, 28, 16, small ? 100 : 150));

    // Columns of sentences read from the right, each with a side line at its asked part.
    // Below 32 pixels a glyph would be a blot: each column of text is one grey stroke.
    const bool tiny = size < 32;
    const int columns = small ? 3 : 5;
    const int rows = small ? 4 : 7;
    const qreal pitch = small ? 40 : 26;
    const qreal cell = small ? 18 : 13;
    const qreal step = cell + (small ? 6 : 4);
    for (int c = 0; c < columns; ++c) {
        const qreal x = 166 - pitch * c - cell / 2;
        if (tiny) {
            p.setPen(QPen(kPencil, 1.5 * px, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(x + cell / 2, 30), QPointF(x + cell / 2, 30 + rows * step - 6));
        } else {
            p.setPen(QPen(small ? kInk : kPencil, qMax(small ? 4.0 : 2.5, 1.2 * px), Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
            for (int r = 0; r < rows; ++r) glyph(p, x, 30 + r * step, cell, 3 * c + r);
        }
        p.setPen(QPen(kInk, qMax(5.0, 2 * px), Qt::SolidLine, Qt::FlatCap));
        const qreal y = 30 + (1 + c % 2) * step;
        p.drawLine(QPointF(x + cell + 5, y), QPointF(x + cell + 5, y + 2 * step - 4));
    }

    // Two rows of answer circles across the lower part.
    if (!small) {
        p.setPen(QPen(kInk, qMax(2.5, 1.2 * px)));
        for (int row = 0; row < 2; ++row) {
            for (int k = 0; k < 4; ++k) p.drawEllipse(QPointF(178 - 24 * k, 200 + 24 * row), 7, 7);
        }
    }
    p.restore();

    // The red mark: a teacher's ring with a centre dot, over the lower left corner.
    const QPointF centre(small ? 70 : 74, small ? 186 : 190);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRed, small ? 16 : 11, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(centre, small ? 46 : 50, small ? 46 : 50);
    if (!small) {
        p.setPen(QPen(kRed, 8));
        p.drawEllipse(centre, 28, 28);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(centre, small ? 14 : 10, small ? 14 : 10);
}

}  // namespace

int main(int argc, char* argv[]) {
    QTextStream err(stderr);
    if (argc < 3) {
        err << "usage: makeicon OUTDIR SIZE...\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            err << "makeicon: bad size " << argv[i] << '\n';
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 256.0, size / 256.0);
            paint(p, size);
        }
        const QString folder = QString::number(size);
        const QString file = out.filePath(folder + QStringLiteral("/pobelo.png"));
        if (!out.mkpath(folder) || !image.save(file, "PNG")) {
            err << "makeicon: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
