#include "pdffile.h"

#include <QRegularExpression>
#include <QtEndian>

namespace pobelo::test {

namespace {

QString fromUtf16Hex(const QByteArray& hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
    return text;
}

}  // namespace

PdfFile::PdfFile(const QByteArray& bytes) : bytes_(bytes) {
    ok_ = readTable();
}

bool PdfFile::ok() const {
    if (!ok_) return false;
    for (int n : offsets_.keys()) {
        if (dictionary(n).contains("/Length") && !streamData(n)) return false;
    }
    return true;
}

bool PdfFile::readTable() {
    const qsizetype at = bytes_.lastIndexOf("startxref");
    if (at < 0) return false;
    bool ok = false;
    const qint64 start = bytes_.mid(at + 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
    if (!ok || start <= 0 || start >= at) return false;
    const QByteArray table = bytes_.mid(start, at - start);
    if (!table.startsWith("xref")) return false;
    const qsizetype trailer = table.indexOf("trailer");
    if (trailer < 0) return false;
    trailer_ = table.mid(trailer);
    int number = -1;
    int left = 0;
    for (const QByteArray& line : table.left(trailer).mid(4).trimmed().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (left == 0) {
            if (fields.size() != 2) return false;
            number = fields[0].toInt();
            left = fields[1].toInt();
            continue;
        }
        if (fields.size() != 3) return false;
        if (fields[2] == "n") {
            const qint64 offset = fields[0].toLongLong();
            if (!bytes_.mid(offset).startsWith(QByteArray::number(number) + " 0 obj")) return false;
            offsets_.insert(number, offset);
        } else {
            ++free_;
        }
        ++number;
        --left;
    }
    return left == 0 && !offsets_.isEmpty();
}

qsizetype PdfFile::dictionaryStart(int n) const {
    const qint64 at = offsets_.value(n, -1);
    return at < 0 ? -1 : at + QByteArray::number(n).size() + 6;  // after "N 0 obj"
}

QByteArray PdfFile::dictionary(int n) const {
    const qsizetype start = dictionaryStart(n);
    if (start < 0) return {};
    // Up to "stream" or "endobj", whichever comes first: a stream's data may hold either.
    const qsizetype endobj = bytes_.indexOf("endobj", start);
    const qsizetype stream = bytes_.indexOf("stream", start);
    const qsizetype end = stream >= 0 && (endobj < 0 || stream < endobj) ? stream : endobj;
    return end < 0 ? QByteArray() : bytes_.mid(start, end - start).trimmed();
}

std::optional<QByteArray> PdfFile::streamData(int n) const {
    const QByteArray dict = dictionary(n);
    const qsizetype start = dictionaryStart(n);
    if (dict.isEmpty()) return std::nullopt;
    qsizetype data = bytes_.indexOf("stream", start);
    if (data < 0 || bytes_.mid(start, data - start).contains("endobj")) return std::nullopt;
    data += bytes_.mid(data + 6, 2) == "\r\n" ? 8 : 7;
    qint64 length = -1;
    const int indirect = reference(dict, "/Length");
    if (indirect >= 0) {
        length = dictionary(indirect).toLongLong();
    } else {
        const auto m = QRegularExpression(QStringLiteral("/Length\\s+(\\d+)"))
                           .match(QString::fromLatin1(dict));
        if (m.hasMatch()) length = m.captured(1).toLongLong();
    }
    if (length < 0 || data + length > bytes_.size() ||
        !bytes_.mid(data + length, 12).trimmed().startsWith("endstream"))
        return std::nullopt;
    const QByteArray content = bytes_.mid(data, length);
    if (!dict.contains("/FlateDecode")) return content;
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(quint32(content.size() * 16 + 64), framed.data());
    const QByteArray inflated = qUncompress(framed + content);
    if (inflated.isEmpty() && !content.isEmpty()) return std::nullopt;
    return inflated;
}

std::optional<QString> PdfFile::info(const QByteArray& name) const {
    const QByteArray dict = dictionary(reference(trailer_, "/Info"));
    const qsizetype at = dict.indexOf('/' + name + ' ');
    if (at < 0) return std::nullopt;
    const QByteArray value = dict.mid(at + name.size() + 2).split('\n').first();
    if (value.startsWith("<FEFF")) return fromUtf16Hex(value.mid(5, value.size() - 6));
    // A literal string: its brackets and backslashes are escaped with a backslash.
    return QString::fromLatin1(value.mid(1, value.size() - 2))
        .replace(QRegularExpression(QStringLiteral("\\\\(.)")), QStringLiteral("\\1"));
}

QList<int> PdfFile::objectsWith(const QByteArray& text) const {
    QList<int> found;
    for (auto it = offsets_.cbegin(); it != offsets_.cend(); ++it) {
        if (dictionary(it.key()).contains(text)) found.append(it.key());
    }
    return found;
}

int PdfFile::reference(const QByteArray& dictionary, const QByteArray& key) {
    const auto m = QRegularExpression(QRegularExpression::escape(QString::fromLatin1(key)) +
                                      QStringLiteral("\\s*\\[?\\s*(\\d+)\\s+0\\s+R"))
                       .match(QString::fromLatin1(dictionary));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString toUnicodeTargets(const QByteArray& cmap) {
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]*)>"));
    QString targets;
    int section = 0;  // 1 in bfchar, 2 in bfrange
    for (const QByteArray& line : cmap.split('\n')) {
        if (line.contains("beginbfchar") || line.contains("beginbfrange")) {
            section = line.contains("bfchar") ? 1 : 2;
            continue;
        }
        if (line.contains("endbf")) section = 0;
        if (section == 0) continue;
        QStringList values;
        for (auto it = hex.globalMatch(QString::fromLatin1(line)); it.hasNext();)
            values.append(it.next().captured(1));
        if (section == 1 && values.size() == 2) {
            targets += fromUtf16Hex(values[1].toLatin1());
        } else if (section == 2 && line.contains('[')) {
            for (qsizetype i = 2; i < values.size(); ++i)
                targets += fromUtf16Hex(values[i].toLatin1());
        } else if (section == 2 && values.size() == 3) {
            const int first = values[0].toInt(nullptr, 16);
            const int last = values[1].toInt(nullptr, 16);
            const QString start = fromUtf16Hex(values[2].toLatin1());
            for (int code = first; code <= last && !start.isEmpty(); ++code)
                targets +=
                    start.left(start.size() - 1) + QChar(start.back().unicode() + code - first);
        }
    }
    return targets;
}

}  // namespace pobelo::test
