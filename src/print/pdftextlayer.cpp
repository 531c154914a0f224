#include "pdftextlayer.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <cmath>

namespace pobelo {

namespace {

// Marks stand this far left of every page, one twip apart per span: begin marks run from y -1 to
// -2, end marks from -3 to -4.
constexpr int kMarkX = -400000;
constexpr int kMostSpans = 300000;

// Appends text as the hexadecimal digits of its UTF-16 code units.
void appendUtf16Hex(QByteArray& out, const QString& text) {
    static const char digits[] = "0123456789ABCDEF";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char unit[4] = {digits[u >> 12], digits[(u >> 8) & 0xF], digits[(u >> 4) & 0xF],
                              digits[u & 0xF]};
        out.append(unit, 4);
    }
}

// The two numbers of a path operator's line ("-400001 -1"), as Qt writes them.
bool twoNumbers(QByteArrayView line, double* a, double* b) {
    const qsizetype space = line.indexOf(' ');
    if (space <= 0) return false;
    bool okA = false;
    bool okB = false;
    *a = line.first(space).toDouble(&okA);
    *b = line.sliced(space + 1).toDouble(&okB);
    return okA && okB;
}

// What a glyph shows, as the character it stands for: a Kangxi radical or a vertical
// presentation form is the ideograph or sign it shares its glyph with.
QString plainCharacters(const QString& shown) {
    QString plain;
    for (const QChar c : shown) {
        const char16_t u = c.unicode();
        const bool shared = (u >= 0x2F00 && u <= 0x2FDF) || (u >= 0xFE10 && u <= 0xFE19) ||
                            (u >= 0xFE30 && u <= 0xFE4F);
        plain += shared ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
    }
    return plain;
}

QString fromHex(const QByteArray& hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
    return text;
}

QByteArray toHex(const QString& text) {
    QByteArray hex;
    for (const QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return '<' + hex.toUpper() + '>';
}

}  // namespace

QLineF spanMark(int span, bool end) {
    const qreal x = kMarkX - span;
    return end ? QLineF(x, -3, x, -4) : QLineF(x, -1, x, -2);
}

bool markSpans(QByteArray& content, const PdfTextLayer& layer, bool* changed) {
    // A mark as the writer draws it: "X Y m\nX Y-1 l\nS\n".
    const QByteArrayView text(content);
    QByteArray out;
    qsizetype copied = 0;
    int open = -1;
    for (qsizetype at = text.indexOf(" m\n"); at >= 0; at = text.indexOf(" m\n", at + 1)) {
        const qsizetype start = text.lastIndexOf('\n', at) + 1;
        const qsizetype lineTo = at + 3;
        const qsizetype lineToEnd = text.indexOf('\n', lineTo);
        if (lineToEnd < 0 || !text.sliced(lineTo, lineToEnd - lineTo).endsWith(" l") ||
            !text.sliced(lineToEnd + 1).startsWith("S\n"))
            continue;
        double x = 0, y = 0, x2 = 0, y2 = 0;
        if (!twoNumbers(text.sliced(start, at - start), &x, &y) ||
            !twoNumbers(text.sliced(lineTo, lineToEnd - 2 - lineTo), &x2, &y2))
            continue;
        if (x != x2 || y2 != y - 1 || x != std::floor(x) || x > kMarkX || x <= kMarkX - kMostSpans)
            continue;
        const int span = int(kMarkX - x);
        const bool end = y == -3;
        const QString* spanText = layer.span(span);
        if ((!end && y != -1) || !spanText) continue;
        if (end != (open == span) || (!end && open >= 0)) return false;
        if (copied == 0) out.reserve(content.size() + content.size() / 8);
        out.append(text.sliced(copied, start - copied));
        if (end) {
            out += "EMC\n";
        } else {
            out += "/Span <</ActualText <FEFF";
            appendUtf16Hex(out, *spanText);
            out += ">>> BDC\n";
        }
        copied = lineToEnd + 3;
        open = end ? -1 : span;
        at = copied - 1;
    }
    if (open >= 0) return false;
    if (copied == 0) return true;
    out.append(text.sliced(copied));
    // The writer hides the second copy of a glyph drawn twice for a synthetic bold in a span of
    // its own, with no text; inside a span with text a reader would take that for the whole.
    static const QByteArray hidden = "/Span << /ActualText <> >> BDC\n";
    for (qsizetype at = out.indexOf(hidden); at >= 0; at = out.indexOf(hidden, at)) {
        const qsizetype end = out.indexOf("EMC\n", at);
        if (end < 0) break;
        out.remove(end, 4);
        out.remove(at, hidden.size());
    }
    content = std::move(out);
    *changed = true;
    return true;
}

QByteArray plainToUnicode(const QByteArray& cmap) {
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]*)>"));
    QByteArray out;
    int codes = 0;
    for (const QByteArray& line : cmap.split('\n')) {
        if (line.contains("beginbfchar")) codes = 1;
        if (line.contains("beginbfrange")) codes = 2;
        if (line.contains("endbfchar") || line.contains("endbfrange")) codes = 0;
        QString text = QString::fromLatin1(line);
        if (codes > 0 && !line.contains("begin")) {
            QString mapped;
            qsizetype copied = 0;
            int seen = 0;
            for (auto it = hex.globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                mapped += text.mid(copied, m.capturedStart() - copied);
                const QString shown = fromHex(m.captured(1).toLatin1());
                mapped += seen++ < codes ? m.captured(0)
                                         : QString::fromLatin1(toHex(plainCharacters(shown)));
                copied = m.capturedEnd();
            }
            text = mapped + text.mid(copied);
        }
        out += text.toLatin1() + '\n';
    }
    out.chop(1);
    return out;
}

QByteArray subsetTag(const QByteArray& name, const QByteArray& widths) {
    const QByteArray hash = QCryptographicHash::hash(name + widths, QCryptographicHash::Sha1);
    QByteArray tag;
    for (int i = 0; i < 6; ++i) tag += char('A' + uchar(hash[i]) % 26);
    return tag;
}

QByteArray pdfTextString(const QString& text) {
    bool ascii = true;
    for (const QChar c : text) ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QByteArray literal = text.toLatin1();
        literal.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        return '(' + literal + ')';
    }
    QByteArray hex = "<FEFF";
    appendUtf16Hex(hex, text);
    return hex + '>';
}

}  // namespace pobelo
