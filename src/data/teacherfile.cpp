#include "teacherfile.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <optional>

#include "cp932decoder.h"
#include "utf8.h"

namespace pobelo {

bool isTeacherFileName(const QString& path) {
    return isTeacherFileDrop(path) || path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
}

bool isTeacherFileDrop(const QString& path) {
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive);
}

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;
// The field after the heading, which a drill program's file fills with the record's number and
// nothing reads.
constexpr int kUnusedSlot = 1;

enum class ReadEnd { Whole, Failed, TooLarge };

// Reads the device to its end into bytes, or one byte past the size bound.
ReadEnd readBounded(QIODevice& device, QByteArray& bytes) {
    for (;;) {
        const qint64 room = kMaxQuestionFileBytes + 1 - bytes.size();
        if (room <= 0) return ReadEnd::TooLarge;
        const qsizetype at = bytes.size();
        // What the array has room for (a file's size and one byte), else another chunk.
        const qint64 spare = qint64(bytes.capacity()) - at;
        const qint64 want = std::min(spare > 0 ? spare : kChunkBytes, room);
        bytes.resize(at + want);
        const qint64 got = device.read(bytes.data() + at, want);
        bytes.resize(at + std::max<qint64>(got, 0));
        if (got < 0) return ReadEnd::Failed;
        if (got == 0) return ReadEnd::Whole;
    }
}

// Whether bytes are well-formed UTF-8 throughout, and hold a character beyond ASCII.
bool isUtf8Text(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool multibyte = false;
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(p + i, n - i);
        if (length <= 0) return false;
        multibyte = true;
        i += length;
    }
    return multibyte;
}

// The file's text: after a byte-order mark in its encoding, else UTF-8 when the bytes are UTF-8
// with a character beyond ASCII, else CP932 (which plain ASCII also is).
QString decodeText(QByteArrayView bytes, TextEncoding& encoding) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8Bom;
        return QString::fromUtf8(bytes.sliced(3));
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        encoding = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::ConvertInitialBom);
        const QByteArrayView units = bytes.sliced(2);
        QString text = decoder(units.first(units.size() & ~qsizetype(1)));
        if (units.size() % 2 != 0) text.append(QChar(0xFFFD));
        // A surrogate without its pair is no character (Qt's decoder lets it through): it reads
        // as the replacement character, as it would from any other encoding, so that what is read
        // can be saved as UTF-8 and read back the same.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar(0xFFFD);
        }
        return text;
    }
    if (isUtf8Text(bytes)) {
        encoding = TextEncoding::Utf8;
        return QString::fromUtf8(bytes);
    }
    encoding = TextEncoding::Cp932;
    QString text;
    Cp932Decoder decoder;
    decoder.decode(bytes, text);
    decoder.finish(text);
    return text;
}

bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// Splits the text into rows of fields, one row a line, quoted as RFC 4180 quotes: a field that
// starts with a quote runs to the next quote that is not doubled, "" in it being one quote, and
// what follows its closing quote up to the separator is kept as it stands.
class RowReader {
  public:
    RowReader(QStringView text, QChar separator) : text_(text), separator_(separator) {}

    // The line of the row read last, from 1.
    int line() const { return line_; }

    // What a row holds besides the fields kept.
    struct Row {
        bool whole = true;      // false: a quoted field runs past the line's end
        qsizetype fields = 0;   // all of them
        bool blank = true;      // every field is empty
        bool textFrom = false;  // a field at or after the position `from` holds text
    };

    // Reads the next row, keeping its first `keep` fields in fields (a line of a million commas
    // costs no memory); nothing when the text has ended.
    std::optional<Row> next(QStringList& fields, qsizetype keep, qsizetype from) {
        fields.clear();
        if (pos_ >= text_.size()) return std::nullopt;
        ++line_;
        Row row;
        for (;;) {
            QString field;
            if (text_[pos_] == u'"' && !readQuoted(field)) {
                row.whole = false;
                return row;
            }
            const qsizetype end = fieldEnd();
            field.append(text_.sliced(pos_, end - pos_));
            pos_ = end;
            if (!field.isEmpty()) {
                row.blank = false;
                row.textFrom = row.textFrom || row.fields >= from;
            }
            if (row.fields < keep) fields.append(std::move(field));
            ++row.fields;
            if (pos_ >= text_.size()) return row;
            const QChar c = text_[pos_++];
            if (c == separator_) continue;
            if (c == u'\r' && pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
            return row;
        }
    }

  private:
    // After the opening quote at pos_: the field's text up to its closing quote, and false when
    // the line or the text ends first.
    bool readQuoted(QString& field) {
        ++pos_;
        for (;;) {
            qsizetype quote = pos_;
            while (quote < text_.size() && text_[quote] != u'"' && !isLineEnd(text_[quote]))
                ++quote;
            field.append(text_.sliced(pos_, quote - pos_));
            pos_ = quote;
            if (quote >= text_.size() || isLineEnd(text_[quote])) return false;
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == u'"') {
                field.append(u'"');
                ++pos_;
                continue;
            }
            return true;
        }
    }

    // The separator or line end at or after pos_, or the text's end.
    qsizetype fieldEnd() const {
        qsizetype i = pos_;
        while (i < text_.size() && text_[i] != separator_ && !isLineEnd(text_[i])) ++i;
        return i;
    }

    QStringView text_;
    QChar separator_;
    qsizetype pos_ = 0;
    int line_ = 0;
};

// Tabs when the first line holds more of them than commas (Excel's 「Unicode テキスト」), else
// commas.
QChar separatorOf(QStringView text) {
    qsizetype end = 0;
    while (end < text.size() && !isLineEnd(text[end])) ++end;
    const QStringView first = text.first(end);
    return first.count(u'\t') > first.count(u',') ? QChar(u'\t') : QChar(u',');
}

// The header's names read: a header that names the columns only past the thousandth names none.
constexpr qsizetype kHeaderNames = 1000;

// The positions of the columns in a row, -1 for one the header does not name.
struct Columns {
    int heading = -1;
    int before = -1;
    int asked = -1;
    int after = -1;
    int answer = -1;
    int font = -1;
    // The fields of a row to keep: up to the last column named.
    qsizetype kept() const { return 1 + std::max({heading, before, asked, after, answer, font}); }
};

// The columns the header names (the first of a name named twice), and the required ones it
// lacks.
Columns columnsOf(const QStringList& header, QStringList& missing) {
    Columns c;
    const std::array<std::pair<const QString*, int*>, 6> names{{{&column::kHeading, &c.heading},
                                                                {&column::kBefore, &c.before},
                                                                {&column::kAsked, &c.asked},
                                                                {&column::kAfter, &c.after},
                                                                {&column::kAnswer, &c.answer},
                                                                {&column::kFont, &c.font}}};
    for (int i = int(header.size()) - 1; i >= 0; --i) {
        QString name = header[i];
        if (name.startsWith(QChar(0xFEFF))) name.remove(0, 1);
        name = name.trimmed();
        for (const auto& [wanted, at] : names) {
            if (name == *wanted) *at = i;
        }
    }
    for (const auto& [wanted, at] : names) {
        if (*at < 0 && wanted != &column::kFont) missing.append(*wanted);
    }
    return c;
}

struct ItemRow {
    QString before, answer, asked, after;
    int line = 0;
};

// Consecutive rows under one 見出し.
struct Heading {
    QString name;
    QString font;  // the first 字体 its rows name
    QList<ItemRow> items;
};

// The records a heading of that many items takes.
int recordsFor(qsizetype items) {
    return int((items + kItemsPerHeading - 1) / kItemsPerHeading);
}

// The headings the rows after the header make, or the refusal of the first row that cannot be
// read. Rows past what the table holds are read only to be checked (full is then set): a file
// of many short rows keeps no more in memory than the table shows.
bool readHeadings(RowReader& rows, qsizetype headerFields, const Columns& c,
                  QList<Heading>& headings, bool& full, LoadResult& result) {
    QStringList fields;
    int records = 0;  // the records the headings so far take
    for (;;) {
        const std::optional<RowReader::Row> row = rows.next(fields, c.kept(), headerFields);
        if (!row) return true;
        if (!row->whole) {
            result.refusal = Refusal::LineBreakInField;
            result.refusedLine = rows.line();
            return false;
        }
        if (row->blank) continue;
        // Empty fields past the header's are what a spreadsheet leaves; text there has no column.
        if (row->fields < headerFields || row->textFrom) {
            result.refusal = Refusal::ColumnCount;
            result.refusedLine = rows.line();
            result.refusedFields = int(std::min<qsizetype>(row->fields, INT_MAX));
            result.headerFields = int(std::min<qsizetype>(headerFields, INT_MAX));
            return false;
        }
        if (full) continue;
        QString name = fields[c.heading];
        if (name.isEmpty() && !headings.isEmpty()) name = headings.last().name;
        const bool same = !headings.isEmpty() && headings.last().name == name;
        if (!same || headings.last().items.size() % kItemsPerHeading == 0) {
            if (records == QuestionTable::kRecords) {
                full = true;
                continue;
            }
            ++records;
        }
        if (!same) headings.append(Heading{name, {}, {}});
        Heading& heading = headings.last();
        if (heading.font.isEmpty() && c.font >= 0) heading.font = fields[c.font].trimmed();
        heading.items.append(ItemRow{fields[c.before], fields[c.answer], fields[c.asked],
                                     fields[c.after], rows.line()});
    }
}

// Writes the headings into the table, ten items a record (readHeadings kept no more than fit).
void writeRecords(const QList<Heading>& headings, QuestionTable& table,
                  const std::function<void(const QString&)>& appendHeading, LoadResult& result,
                  QList<QList<int>>* lines) {
    int record = 0;
    for (const Heading& heading : headings) {
        const int parts = recordsFor(heading.items.size());
        if (parts > 1) result.continued.append(ContinuedHeading{heading.name, parts});
        for (int part = 0; part < parts; ++part) {
            const QString name = part == 0
                                     ? heading.name
                                     : QStringLiteral("%1 (%2)").arg(heading.name).arg(part + 1);
            table.set(record, slot::kHeading, name);
            table.set(record, kUnusedSlot, QString());
            QList<MarkedReading> readings;
            if (lines) lines->append(QList<int>());
            for (int i = 0; i < kItemsPerHeading; ++i) {
                const qsizetype at = qsizetype(part) * kItemsPerHeading + i;
                const ItemRow item = at < heading.items.size() ? heading.items[at] : ItemRow{};
                using F = MarkedReading::Field;
                table.set(record, slot::beforeText(i),
                          takeReadingMarks(item.before, i, F::Before, &readings));
                table.set(record, slot::answer(i),
                          takeReadingMarks(item.answer, i, F::Answer, &readings));
                table.set(record, slot::askedText(i),
                          takeReadingMarks(item.asked, i, F::Asked, &readings));
                table.set(record, slot::afterText(i),
                          takeReadingMarks(item.after, i, F::After, &readings));
                if (lines && at < heading.items.size()) lines->last().append(item.line);
            }
            table.set(record, slot::kReadings, readingsSlotText(readings));
            table.set(record, slot::kFontName,
                      heading.font.isEmpty() ? kTeacherFileFont : heading.font);
            if (appendHeading) appendHeading(name);
            ++record;
            result.recordCount = float(record);
        }
    }
}

void readTable(QStringView text, QuestionTable& table,
               const std::function<void(const QString&)>& appendHeading, LoadResult& result,
               QList<QList<int>>* lines) {
    RowReader rows(text, separatorOf(text));
    QStringList header;
    const std::optional<RowReader::Row> read = rows.next(header, kHeaderNames, kHeaderNames);
    const Columns c = columnsOf(header, result.missingColumns);
    QList<Heading> headings;
    bool full = false;
    if (read && !read->whole) {
        result.refusal = Refusal::LineBreakInField;
        result.refusedLine = 1;
    } else if (!result.missingColumns.isEmpty()) {
        result.refusal = Refusal::NoHeader;
        result.refusedLine = 1;
    } else if (readHeadings(rows, read->fields, c, headings, full, result)) {
        writeRecords(headings, table, appendHeading, result, lines);
        result.status = full ? LoadStatus::TooManyRecords : LoadStatus::Complete;
        return;
    }
    result.status = LoadStatus::Refused;
}

}  // namespace

QString decodeTeacherText(QByteArrayView bytes) {
    TextEncoding encoding{};
    return decodeText(bytes, encoding);
}

bool namesTeacherColumns(QStringView text) {
    qsizetype end = 0;
    while (end < text.size() && !isLineEnd(text[end])) ++end;
    const QStringView first = text.first(end);
    return first.contains(column::kBefore) && first.contains(column::kAsked);
}

namespace {

bool isBarMark(QChar c) {
    return c == u'｜' || c == u'|';
}

// A kanji a reading without ｜ stands over: a CJK ideograph, 々, 〆 or ヶ.
bool isRubyBase(char32_t c) {
    return QChar::script(c) == QChar::Script_Han || c == U'々' || c == U'〆' || c == U'ヶ';
}

}  // namespace

QString takeReadingMarks(const QString& text, int item, MarkedReading::Field field,
                         QList<MarkedReading>* readings) {
    if (!text.contains(u'《')) return text;
    QString out;
    out.reserve(text.size());
    qsizetype bar = -1;  // where a ｜ put the start of the word in out
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isBarMark(c)) {
            const qsizetype open = text.indexOf(u'《', i + 1);
            if (open > i + 1 && text.indexOf(u'》', open) > open) {
                bar = out.size();
                continue;
            }
        } else if (c == u'《') {
            const qsizetype close = text.indexOf(u'》', i + 1);
            qsizetype start = bar;
            if (start < 0) {
                start = out.size();
                while (start > 0) {
                    const QChar before = out.at(start - 1);
                    char32_t k = before.unicode();
                    qsizetype width = 1;
                    if (before.isLowSurrogate() && start > 1 &&
                        out.at(start - 2).isHighSurrogate()) {
                        k = QChar::surrogateToUcs4(out.at(start - 2), before);
                        width = 2;
                    }
                    if (!isRubyBase(k)) break;
                    start -= width;
                }
            }
            if (close > i && start < out.size()) {
                QString reading = text.mid(i + 1, close - i - 1);
                reading.remove(u'\t');
                if (readings)
                    readings->append(
                        MarkedReading{item, field, start, out.size() - start, reading});
                bar = -1;
                i = close;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString readingsSlotText(const QList<MarkedReading>& readings) {
    QStringList lines;
    for (const MarkedReading& r : readings) {
        lines << QStringLiteral("%1\t%2\t%3\t%4\t%5")
                     .arg(r.item)
                     .arg(int(r.field))
                     .arg(r.start)
                     .arg(r.length)
                     .arg(r.reading);
    }
    return lines.join(u'\n');
}

QList<MarkedReading> readingsOfSlot(const QString& text) {
    QList<MarkedReading> readings;
    if (text.isEmpty()) return readings;
    for (const QString& line : text.split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 5) continue;
        const int field = f[1].toInt();
        if (field < MarkedReading::Before || field > MarkedReading::Answer) continue;
        readings.append(MarkedReading{f[0].toInt(), MarkedReading::Field(field), f[2].toLongLong(),
                                      f[3].toLongLong(), f[4]});
    }
    return readings;
}

LoadResult loadTeacherDevice(QIODevice& device, QuestionTable& table,
                             const std::function<void(const QString&)>& appendHeading,
                             QList<QList<int>>* lines) {
    LoadResult result;
    result.format = QuestionFormat::Teacher;
    if (!cp932DecoderAvailable()) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    try {
        QByteArray bytes;
        // A file is read in one piece (one byte more tells it ended there).
        if (!device.isSequential())
            bytes.reserve(std::min(device.size() - device.pos(), kMaxQuestionFileBytes) + 1);
        switch (readBounded(device, bytes)) {
            case ReadEnd::Whole:
                break;
            case ReadEnd::Failed:
                result.status = LoadStatus::ReadFailed;
                return result;
            case ReadEnd::TooLarge:
                result.status = LoadStatus::TooLarge;
                return result;
        }
        const QString text = decodeText(bytes, result.encoding);
        bytes = QByteArray();
        readTable(text, table, appendHeading, result, lines);
    } catch (const std::bad_alloc&) {
        // The file and its rows did not fit in the memory: nothing more is read.
        result.status = LoadStatus::ReadFailed;
        result.tooLarge = true;
    }
    return result;
}

}  // namespace pobelo
