#include "pdftextlayer.h"

#include <QCryptographicHash>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>

namespace pobelo {

namespace {

// Marks stand this far left of every page, one twip apart per span: begin marks run from y -1 to
// -2, end marks from -3 to -4.
constexpr int kMarkX = -400000;
constexpr int kMostSpans = 300000;

// A PDF as QPdfWriter writes it: objects found through one classic cross-reference table.
class PdfFile {
  public:
    explicit PdfFile(const QByteArray& bytes) : bytes_(bytes) { ok_ = readXref(); }
    bool ok() const { return ok_; }
    const QList<int> objects() const { return offsets_.keys(); }
    qint64 startXref() const { return startXref_; }
    const QByteArray& trailer() const { return trailer_; }

    // The text from "N 0 obj" to "endobj", without them; empty when there is no such object.
    QByteArray body(int n) const {
        const qint64 at = offsets_.value(n, -1);
        if (at < 0) return {};
        const QByteArray head = QByteArray::number(n) + " 0 obj";
        if (!bytes_.mid(at, head.size()).startsWith(head)) return {};
        const qsizetype end = bytes_.indexOf("endobj", at);
        if (end < 0) return {};
        return bytes_.mid(at + head.size(), end - at - head.size());
    }
    // The object's dictionary (up to "stream" for a stream).
    QByteArray dictionary(int n) const {
        QByteArray text = body(n);
        const qsizetype stream = text.indexOf("stream");
        return (stream < 0 ? text : text.left(stream)).trimmed();
    }
    // A stream object's data, inflated when it is Flate-encoded; null when it cannot be read.
    std::optional<QByteArray> streamData(int n) const {
        const QByteArray text = body(n);
        qsizetype start = text.indexOf("stream");
        if (start < 0) return std::nullopt;
        const QByteArray dict = text.left(start);
        start += 6;
        if (text.mid(start, 2) == "\r\n")
            start += 2;
        else if (text.mid(start, 1) == "\n")
            start += 1;
        qint64 length = -1;
        static const QRegularExpression direct(
            QStringLiteral("/Length\\s+(\\d+)(?!\\s+\\d+\\s+R)"));
        static const QRegularExpression indirect(QStringLiteral("/Length\\s+(\\d+)\\s+0\\s+R"));
        const QString d = QString::fromLatin1(dict);
        if (auto m = indirect.match(d); m.hasMatch())
            length = body(m.captured(1).toInt()).trimmed().toLongLong();
        else if (auto m2 = direct.match(d); m2.hasMatch())
            length = m2.captured(1).toLongLong();
        if (length < 0 || start + length > text.size()) return std::nullopt;
        const QByteArray data = text.mid(start, length);
        if (!dict.contains("/FlateDecode")) return data;
        if (dict.contains("/DecodeParms")) return std::nullopt;
        // qUncompress wants the size first; it grows its buffer when the guess is short.
        QByteArray framed(4, '\0');
        qToBigEndian<quint32>(quint32(qMin<qint64>(data.size() * 8 + 64, 1 << 28)), framed.data());
        const QByteArray inflated = qUncompress(framed + data);
        if (inflated.isEmpty() && !data.isEmpty()) return std::nullopt;
        return inflated;
    }
    // The object an entry of a dictionary refers to ("/Contents 8 0 R"), or -1.
    static int reference(const QByteArray& dict, const char* key) {
        const QRegularExpression pattern(QLatin1String(key) +
                                         QStringLiteral("\\s+(\\d+)\\s+0\\s+R"));
        const auto m = pattern.match(QString::fromLatin1(dict));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

  private:
    bool readXref() {
        const qsizetype at = bytes_.lastIndexOf("startxref");
        if (at < 0) return false;
        bool ok = false;
        startXref_ = bytes_.mid(at + 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
        if (!ok || startXref_ <= 0 || startXref_ >= at) return false;
        const QByteArray table = bytes_.mid(startXref_, at - startXref_);
        if (!table.startsWith("xref")) return false;
        const qsizetype trailer = table.indexOf("trailer");
        if (trailer < 0) return false;
        trailer_ = table.mid(trailer);
        const QList<QByteArray> lines = table.left(trailer).mid(4).trimmed().split('\n');
        int number = -1;
        int left = 0;
        for (const QByteArray& raw : lines) {
            const QList<QByteArray> fields = raw.simplified().split(' ');
            if (left == 0) {
                if (fields.size() != 2) return false;
                number = fields[0].toInt();
                left = fields[1].toInt();
                continue;
            }
            if (fields.size() != 3) return false;
            if (fields[2] == "n") offsets_.insert(number, fields[0].toLongLong());
            ++number;
            --left;
        }
        return left == 0 && !offsets_.isEmpty();
    }

    const QByteArray& bytes_;
    QMap<int, qint64> offsets_;
    qint64 startXref_ = 0;
    QByteArray trailer_;
    bool ok_ = false;
};

// A text string of PDF: UTF-16BE with its byte order mark, in hexadecimal.
QByteArray textString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex.toUpper() + '>';
}

// Puts each span's /ActualText where its marks are; false when the marks do not pair up.
bool markSpans(QByteArray& content, const QStringList& spans, bool* changed) {
    static const QRegularExpression mark(QStringLiteral(
        "(-?\\d+(?:\\.\\d+)?) (-?\\d+(?:\\.\\d+)?) m\\s+(-?\\d+(?:\\.\\d+)?) (-?\\d+(?:\\.\\d+)?) "
        "l\\s+S\\s"));
    const QString text = QString::fromLatin1(content);
    QByteArray out;
    qsizetype copied = 0;
    int open = -1;
    for (auto it = mark.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double x = m.captured(1).toDouble();
        const double y = m.captured(2).toDouble();
        if (x != m.captured(3).toDouble() || x > kMarkX || x <= kMarkX - kMostSpans) continue;
        const int span = int(kMarkX - x);
        const bool end = y == -3;
        if ((!end && y != -1) || span >= spans.size()) continue;
        if (end != (open == span) || (!end && open >= 0)) return false;
        out += content.mid(copied, m.capturedStart() - copied);
        out += end ? QByteArray("EMC\n")
                   : "/Span <</ActualText " + textString(spans[span]) + ">> BDC\n";
        copied = m.capturedEnd();
        open = end ? -1 : span;
    }
    if (open >= 0) return false;
    if (copied == 0) return true;
    out += content.mid(copied);
    // The writer hides the second copy of a glyph drawn twice for a synthetic bold in a span of
    // its own, with no text; inside a span with text a reader would take that for the whole.
    static const QByteArray hidden = "/Span << /ActualText <> >> BDC\n";
    for (qsizetype at = out.indexOf(hidden); at >= 0; at = out.indexOf(hidden, at)) {
        const qsizetype end = out.indexOf("EMC\n", at);
        if (end < 0) break;
        out.remove(end, 4);
        out.remove(at, hidden.size());
    }
    content = out;
    *changed = true;
    return true;
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

// A ToUnicode map with every character a glyph shows made plain: the codes (the first hex
// string of a bfchar line, the first two of a bfrange line) stay, the characters change.
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

// Six capital letters for a subset font, from what sets the font and its subset apart.
QByteArray subsetTag(const QByteArray& name, const QByteArray& widths) {
    const QByteArray hash = QCryptographicHash::hash(name + widths, QCryptographicHash::Sha1);
    QByteArray tag;
    for (int i = 0; i < 6; ++i) tag += char('A' + uchar(hash[i]) % 26);
    return tag;
}

QByteArray streamObject(int n, const QByteArray& data) {
    const QByteArray deflated = qCompress(data).mid(4);
    return QByteArray::number(n) + " 0 obj\n<<\n/Length " + QByteArray::number(deflated.size()) +
           "\n/Filter /FlateDecode\n>>\nstream\n" + deflated + "\nendstream\nendobj\n";
}

QByteArray plainObject(int n, const QByteArray& dictionary) {
    return QByteArray::number(n) + " 0 obj\n" + dictionary + "\nendobj\n";
}

}  // namespace

QLineF spanMark(int span, bool end) {
    const qreal x = kMarkX - span;
    return end ? QLineF(x, -3, x, -4) : QLineF(x, -1, x, -2);
}

QByteArray pdfTextLayerUpdate(const QByteArray& document, const QStringList& spans) {
    const PdfFile pdf(document);
    if (!pdf.ok() || spans.size() >= kMostSpans) return {};
    QMap<int, QByteArray> replaced;
    static const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/([^\\s/<>\\[\\]()]+)"));
    static const QRegularExpression fontName(QStringLiteral("/FontName\\s*/([^\\s/<>\\[\\]()]+)"));

    for (int n : pdf.objects()) {
        const QByteArray dict = pdf.dictionary(n);
        if (dict.contains("/Type /Page") && !dict.contains("/Type /Pages")) {
            const int contents = PdfFile::reference(dict, "/Contents");
            std::optional<QByteArray> content = pdf.streamData(contents);
            if (!content) continue;
            bool changed = false;
            if (!markSpans(*content, spans, &changed)) return {};
            if (changed) replaced.insert(contents, streamObject(contents, *content));
        } else if (dict.contains("/Subtype /Type0")) {
            // The composite font, its descendant and their descriptor share one tagged name.
            const auto m = baseFont.match(QString::fromLatin1(dict));
            const int descendant = [&] {
                const qsizetype at = dict.indexOf("/DescendantFonts");
                return at < 0
                           ? -1
                           : PdfFile::reference(dict.mid(at).replace('[', ' '), "/DescendantFonts");
            }();
            const QByteArray cid = pdf.dictionary(descendant);
            const int descriptor = PdfFile::reference(cid, "/FontDescriptor");
            const QByteArray described = pdf.dictionary(descriptor);
            if (!m.hasMatch() || cid.isEmpty() || described.isEmpty()) continue;
            QByteArray name = m.captured(1).toLatin1();
            if (name.size() > 7 && name.at(6) == '+') name = name.mid(7);
            const qsizetype widths = cid.indexOf("/W");
            const QByteArray tagged =
                subsetTag(name, widths < 0 ? cid : cid.mid(widths)) + '+' + name;
            auto rename = [&](QByteArray text, const QRegularExpression& key, const char* entry) {
                const auto found = key.match(QString::fromLatin1(text));
                if (!found.hasMatch()) return text;
                return text.left(found.capturedStart()) + entry + tagged +
                       text.mid(found.capturedEnd());
            };
            replaced.insert(n, plainObject(n, rename(dict, baseFont, "/BaseFont /")));
            replaced.insert(descendant,
                            plainObject(descendant, rename(cid, baseFont, "/BaseFont /")));
            replaced.insert(descriptor,
                            plainObject(descriptor, rename(described, fontName, "/FontName /")));
            const int toUnicode = PdfFile::reference(dict, "/ToUnicode");
            if (std::optional<QByteArray> cmap = pdf.streamData(toUnicode)) {
                const QByteArray plain = plainToUnicode(*cmap);
                if (plain != *cmap) replaced.insert(toUnicode, streamObject(toUnicode, plain));
            }
        }
    }
    if (replaced.isEmpty()) return {};

    const QString trailer = QString::fromLatin1(pdf.trailer());
    const auto entry = [&trailer](const char* pattern) {
        const auto m = QRegularExpression(QLatin1String(pattern)).match(trailer);
        return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
    };
    const QByteArray size = entry("/Size\\s+(\\d+)");
    const QByteArray root = entry("/Root\\s+(\\d+\\s+0\\s+R)");
    const QByteArray info = entry("/Info\\s+(\\d+\\s+0\\s+R)");
    if (size.isEmpty() || root.isEmpty()) return {};

    QByteArray update;
    if (!document.endsWith('\n')) update += '\n';
    QByteArray xref = "xref\n";
    for (auto it = replaced.cbegin(); it != replaced.cend(); ++it) {
        // Each cross-reference entry is exactly 20 bytes.
        xref += QByteArray::number(it.key()) + " 1\n" +
                QByteArray::number(document.size() + update.size()).rightJustified(10, '0') +
                " 00000 n \n";
        update += it.value();
    }
    const qint64 xrefOffset = document.size() + update.size();
    update += xref + "trailer\n<<\n/Size " + size + "\n/Root " + root + '\n';
    if (!info.isEmpty()) update += "/Info " + info + '\n';
    update += "/Prev " + QByteArray::number(pdf.startXref()) + "\n>>\nstartxref\n" +
              QByteArray::number(xrefOffset) + "\n%%EOF\n";
    return update;
}

}  // namespace pobelo
