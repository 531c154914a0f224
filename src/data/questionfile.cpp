#include "questionfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QIODevice>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <new>

#include "cp932decoder.h"
#include "filesystem.h"
#include "hashingreader.h"
#include "localfile.h"
#include "teacherfile.h"
#include "utf8.h"

namespace pobelo {

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;
constexpr char16_t kReplacement = 0xFFFD;

// Decodes the file's text in the encoding it was found to be in, chunk by chunk.
class TextDecoder {
  public:
    void start(TextEncoding encoding) {
        encoding_ = encoding;
        if (encoding != TextEncoding::Utf16LE && encoding != TextEncoding::Utf16BE) return;
        // The byte-order mark is already skipped: a second one is text.
        utf16_ = QStringDecoder(encoding == TextEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                                  : QStringConverter::Utf16BE,
                                QStringConverter::Flag::ConvertInitialBom);
    }
    bool isValid() const { return cp932_.isValid(); }

    void decode(QByteArrayView bytes, QString& out) {
        switch (encoding_) {
            case TextEncoding::Cp932:
                cp932_.decode(bytes, out);
                return;
            case TextEncoding::Utf8:
            case TextEncoding::Utf8Bom:
                decodeUtf8(bytes, out);
                return;
            case TextEncoding::Utf16LE:
            case TextEncoding::Utf16BE:
                break;
        }
        fed_ += bytes.size();
        const qsizetype from = out.size();
        out.resize(from + utf16_.requiredSpace(bytes.size()));
        QChar* const begin = out.data();
        out.truncate(utf16_.appendToBuffer(begin + from, bytes) - begin);
    }

    // Appends U+FFFD for an incomplete character left at the end of the input.
    void finish(QString& out) {
        switch (encoding_) {
            case TextEncoding::Cp932:
                cp932_.finish(out);
                return;
            case TextEncoding::Utf8:
            case TextEncoding::Utf8Bom:
                out.append(QString(carry_.size(), QChar(kReplacement)));
                carry_.clear();
                return;
            case TextEncoding::Utf16LE:
            case TextEncoding::Utf16BE:
                if (fed_ % 2 != 0) out.append(QChar(kReplacement));
                return;
        }
    }

  private:
    // U+FFFD for each byte that starts no well-formed character, whatever the chunks are; a
    // character cut at the end of a chunk waits for the next.
    void decodeUtf8(QByteArrayView bytes, QString& out) {
        QByteArray joined;
        if (!carry_.isEmpty()) {
            joined = carry_ + bytes.toByteArray();
            bytes = joined;
            carry_.clear();
        }
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const qsizetype n = bytes.size();
        qsizetype run = 0;  // start of the well-formed bytes not yet appended
        auto appendRun = [&](qsizetype end) {
            // The run is well-formed; a U+FEFF at its start is text (a chunk may start there).
            const qsizetype from = out.size();
            out.resize(from + end - run);
            QChar* const begin = out.data();
            out.truncate(utf8_.appendToBuffer(begin + from, bytes.sliced(run, end - run)) - begin);
        };
        for (qsizetype i = 0; i < n;) {
            if (p[i] < 0x80) {
                ++i;
                continue;
            }
            const int length = utf8SequenceLength(p + i, n - i);
            if (length > 0) {
                i += length;
                continue;
            }
            appendRun(i);
            if (length < 0) {
                carry_ = bytes.sliced(i).toByteArray();
                return;
            }
            out.append(QChar(kReplacement));
            run = ++i;
        }
        appendRun(n);
    }

    TextEncoding encoding_ = TextEncoding::Cp932;
    Cp932Decoder cp932_;
    QStringDecoder utf16_;
    QStringDecoder utf8_{QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                     QStringConverter::Flag::Stateless};
    QByteArray carry_;
    qint64 fed_ = 0;
};

// Whether bytes fed in pieces are UTF-8 throughout, and hold a character beyond ASCII.
class Utf8Scan {
  public:
    void feed(QByteArrayView chunk) {
        if (invalid_) return;
        QByteArray joined;
        if (!carry_.isEmpty()) {
            joined = carry_;
            joined.append(chunk);
            chunk = joined;
            carry_.clear();
        }
        const auto* p = reinterpret_cast<const unsigned char*>(chunk.data());
        const qsizetype n = chunk.size();
        for (qsizetype i = 0; i < n;) {
            if (p[i] < 0x80) {
                ++i;
                continue;
            }
            const int length = utf8SequenceLength(p + i, n - i);
            if (length == 0) {
                invalid_ = true;
                return;
            }
            if (length < 0) {
                carry_ = chunk.sliced(i).toByteArray();
                return;
            }
            multibyte_ = true;
            i += length;
        }
    }
    bool invalid() const { return invalid_; }
    // After the last piece.
    bool isUtf8() const { return !invalid_ && carry_.isEmpty() && multibyte_; }

  private:
    QByteArray carry_;
    bool invalid_ = false;
    bool multibyte_ = false;
};

// Sets out to text, in out's own memory when it has room: a load overwrites the slots of the
// table that the previous load filled, so most fields then cost no allocation.
void assign(QString& out, QStringView text) {
    if (out.isDetached() && out.capacity() >= text.size()) {
        out.resize(text.size());
        std::copy(text.begin(), text.end(), out.begin());
    } else {
        out = text.toString();
    }
}

// The line ends in a quoted field's text (CR LF counted once).
int lineEnds(QStringView text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++count;
    }
    return count;
}

bool endsField(char16_t c) {
    return c <= u',' && (c == u',' || c == u'\n' || c == u'\r');
}

// Reads comma-separated fields from a device holding text. The device is read in chunks, as the
// fields are asked for, so nothing past the last field asked for is decoded beyond its chunk.
class FieldReader {
  public:
    explicit FieldReader(QIODevice& device)
        : device_(device), bytes_(kChunkBytes, Qt::Uninitialized) {}

    TextEncoding encoding() const { return encoding_; }
    // The line the next field starts on, from 1.
    int line() const { return line_; }
    // Whether the last field read was ended by a line end (or the input's end), not a comma.
    bool endedLine() const { return endedLine_; }

    // True when no character is left: the device is at its end, or could not be read further.
    bool atEnd() { return pos_ >= buf_.size() && !fill(); }
    bool readFailed() const { return failed_; }

    // Reads the next field into out. False, with out untouched, when there is nothing left to read.
    bool readField(QString& out) {
        if (atEnd()) return false;
        // A field that the input's end ends, ends its line too.
        endedLine_ = true;
        for (;;) {
            while (pos_ < buf_.size() && buf_.at(pos_) == u' ') ++pos_;
            if (pos_ < buf_.size()) break;
            if (!fill()) {
                out.clear();
                return true;
            }
        }
        if (buf_.at(pos_) == u'"') {
            ++pos_;
            readQuoted(out);
            line_ += lineEnds(out);
            skipToFieldEnd();
        } else {
            readUnquoted(out);
        }
        return true;
    }

  private:
    // Refills the character buffer once it is used up. True when characters are available.
    bool fill() {
        buf_.resize(0);
        pos_ = 0;
        while (buf_.isEmpty() && !exhausted_) {
            const qint64 got = readRaw(bytes_.data(), kChunkBytes);
            if (got <= 0) {
                if (!decided_) decideAtEnd();
                if (got < 0) {
                    failed_ = true;
                } else {
                    decoder_.finish(buf_);
                }
                exhausted_ = true;
            } else {
                feed(QByteArrayView(bytes_.constData(), got));
            }
        }
        return !buf_.isEmpty();
    }

    // Decodes bytes, finding the encoding on the way. The first three bytes are held back for a
    // byte-order mark; after that, ASCII reads the same in every encoding taken here, so the
    // choice between CP932 and UTF-8 waits for the first byte beyond ASCII.
    void feed(QByteArrayView bytes) {
        if (decided_) {
            decoder_.decode(bytes, buf_);
            return;
        }
        if (!markChecked_) {
            head_.append(bytes);
            if (head_.size() < 3) return;
            takeHead();
            return;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        qsizetype ascii = 0;
        while (ascii < bytes.size() && p[ascii] < 0x80) ++ascii;
        decoder_.decode(bytes.first(ascii), buf_);
        if (ascii == bytes.size()) return;
        decideFrom(bytes.sliced(ascii));
        decoder_.decode(bytes.sliced(ascii), buf_);
    }

    // The first bytes: a byte-order mark decides at once; without one they decode as any other.
    void takeHead() {
        markChecked_ = true;
        const QByteArray head = std::move(head_);
        head_ = QByteArray();
        qsizetype mark = 0;
        if (head.startsWith("\xEF\xBB\xBF")) {
            encoding_ = TextEncoding::Utf8Bom;
            mark = 3;
        } else if (head.startsWith("\xFF\xFE")) {
            encoding_ = TextEncoding::Utf16LE;
            mark = 2;
        } else if (head.startsWith("\xFE\xFF")) {
            encoding_ = TextEncoding::Utf16BE;
            mark = 2;
        }
        if (mark > 0) {
            decided_ = true;
            decoder_.start(encoding_);
        }
        feed(QByteArrayView(head).sliced(mark));
    }

    // The input ended (or failed) before the encoding was decided.
    void decideAtEnd() {
        if (!markChecked_) takeHead();
        decided_ = true;
    }

    // rest starts with the first byte beyond ASCII: UTF-8 when it and everything after it are
    // UTF-8, otherwise CP932. The bytes after rest are scanned ahead, then read again from a device
    // that can seek or kept for the reads from one that cannot.
    void decideFrom(QByteArrayView rest) {
        decided_ = true;
        Utf8Scan scan;
        scan.feed(rest);
        bool ended = false;
        if (!scan.invalid()) {
            const bool seekable = !device_.isSequential();
            const qint64 resume = device_.pos();
            QByteArray chunk(kChunkBytes, Qt::Uninitialized);
            for (;;) {
                const qint64 got = device_.read(chunk.data(), kChunkBytes);
                if (got <= 0) {
                    ended = got == 0;
                    if (got < 0 && !seekable) sourceFailed_ = true;
                    break;
                }
                const QByteArrayView piece(chunk.constData(), got);
                if (!seekable) ahead_.append(piece);
                scan.feed(piece);
                if (scan.invalid()) break;
            }
            if (seekable && !device_.seek(resume)) sourceFailed_ = true;
        }
        if (ended && scan.isUtf8()) {
            encoding_ = TextEncoding::Utf8;
            decoder_.start(encoding_);
        }
    }

    // After the opening quote: the field runs to the next quote, or to the end of the input.
    void readQuoted(QString& out) {
        qsizetype close = buf_.indexOf(u'"', pos_);
        if (close >= 0) {
            assign(out, QStringView(buf_).sliced(pos_, close - pos_));
            pos_ = close + 1;
            return;
        }
        QString field = buf_.sliced(pos_);
        for (;;) {
            if (!fill()) break;
            close = buf_.indexOf(u'"');
            if (close >= 0) {
                field.append(QStringView(buf_).first(close));
                pos_ = close + 1;
                break;
            }
            field.append(buf_);
            pos_ = buf_.size();
        }
        out = std::move(field);
    }

    // Position of the next comma or line end at or after pos_ in the buffer, or the buffer's size.
    qsizetype findFieldEnd() const {
        const QChar* const data = buf_.constData();
        const qsizetype size = buf_.size();
        qsizetype i = pos_;
        while (i < size && !endsField(data[i].unicode())) ++i;
        return i;
    }

    // Consumes the comma or line end at index i; CR LF counts as one line end.
    void consumeFieldEnd(qsizetype i) {
        const bool cr = buf_.at(i) == u'\r';
        endedLine_ = buf_.at(i) != u',';
        if (endedLine_) ++line_;
        pos_ = i + 1;
        if (!cr) return;
        if (pos_ >= buf_.size() && !fill()) return;
        if (buf_.at(pos_) == u'\n') ++pos_;
    }

    // Skips what follows a closing quote up to and including the next comma or line end.
    void skipToFieldEnd() {
        for (;;) {
            const qsizetype end = findFieldEnd();
            if (end < buf_.size()) {
                consumeFieldEnd(end);
                return;
            }
            pos_ = end;
            if (!fill()) return;
        }
    }

    // A field without quotes runs to the next comma or line end and loses its trailing spaces.
    void readUnquoted(QString& out) {
        qsizetype end = findFieldEnd();
        if (end < buf_.size()) {
            qsizetype last = end;
            while (last > pos_ && buf_.at(last - 1) == u' ') --last;
            assign(out, QStringView(buf_).sliced(pos_, last - pos_));
            consumeFieldEnd(end);
            return;
        }
        QString field = buf_.sliced(pos_);
        for (;;) {
            if (!fill()) break;
            end = findFieldEnd();
            field.append(QStringView(buf_).first(end));
            if (end < buf_.size()) {
                consumeFieldEnd(end);
                break;
            }
            pos_ = end;
        }
        qsizetype last = field.size();
        while (last > 0 && field.at(last - 1) == u' ') --last;
        field.truncate(last);
        out = std::move(field);
    }

    // The next bytes of the file: first those kept from the scan, then the device's.
    qint64 readRaw(char* data, qint64 max) {
        if (aheadPos_ < ahead_.size()) {
            const qint64 n = std::min<qint64>(max, ahead_.size() - aheadPos_);
            std::memcpy(data, ahead_.constData() + aheadPos_, size_t(n));
            aheadPos_ += n;
            if (aheadPos_ == ahead_.size()) {
                ahead_ = QByteArray();
                aheadPos_ = 0;
            }
            return n;
        }
        return sourceFailed_ ? -1 : device_.read(data, max);
    }

    QIODevice& device_;
    TextDecoder decoder_;
    TextEncoding encoding_ = TextEncoding::Cp932;
    bool decided_ = false;
    bool markChecked_ = false;
    QByteArray head_;   // the first bytes, until there are three for a byte-order mark
    QByteArray ahead_;  // bytes scanned ahead on a device that cannot seek
    qsizetype aheadPos_ = 0;
    bool sourceFailed_ = false;
    QByteArray bytes_;
    QString buf_;
    qsizetype pos_ = 0;
    bool exhausted_ = false;
    bool failed_ = false;
    int line_ = 1;
    bool endedLine_ = false;
};

}  // namespace

bool cp932DecoderAvailable() {
    // A decoder of that name must also map the two bytes where CP932 and plain Shift-JIS differ.
    static const bool available = [] {
        Cp932Decoder decoder;
        if (!decoder.isValid()) return false;
        QString text;
        decoder.decode(QByteArrayView("\x87\x40\x81\x60", 4), text);
        decoder.finish(text);
        return text == QStringView(u"\u2460\uFF5E");
    }();
    return available;
}

namespace {

// Reads records into the table until the input or the table ends.
void readRecords(FieldReader& reader, QuestionTable& table,
                 const std::function<void(const QString&)>& appendHeading, LoadResult& result) {
    int record = 0;
    // Each line is expected to hold one record; the first that does not is told.
    int fieldsOnLine = 0;
    int lineStart = 1;
    const auto countField = [&] {
        ++fieldsOnLine;
        if (!reader.endedLine()) return;
        if (fieldsOnLine != slot::kFieldsPerRecord && result.badLine == 0) {
            result.badLine = lineStart;
            result.badLineFields = fieldsOnLine;
        }
        fieldsOnLine = 0;
        lineStart = reader.line();
    };
    for (;;) {
        if (reader.atEnd()) {
            result.status = reader.readFailed() ? LoadStatus::ReadFailed : LoadStatus::Complete;
            break;
        }
        if (record >= QuestionTable::kRecords) {
            result.status = LoadStatus::TooManyRecords;
            break;
        }
        bool whole = true;
        for (int field = 0; field < slot::kFieldsPerRecord; ++field) {
            if (!reader.readField(table.slotText(record, field))) {
                whole = false;
                break;
            }
            countField();
        }
        if (reader.readFailed()) {
            result.status = LoadStatus::ReadFailed;
            break;
        }
        if (!whole) {
            result.status = LoadStatus::Incomplete;
            break;
        }
        // A drill program's file gives no readings of its own.
        table.slotText(record, slot::kReadings).clear();
        if (appendHeading) appendHeading(table.at(record, slot::kHeading));
        ++record;
        result.recordCount = static_cast<float>(record);
    }
}

}  // namespace

namespace {

// Passes a device's bytes on up to kMaxQuestionFileBytes; a read past them fails, and says so.
class BoundedReader : public QIODevice {
  public:
    explicit BoundedReader(QIODevice& device)
        : device_(device), start_(device.isSequential() ? 0 : device.pos()) {}
    bool isSequential() const override { return device_.isSequential(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && device_.seek(start_ + pos); }
    qint64 size() const override { return device_.size(); }
    bool exceeded() const { return exceeded_; }

  protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 at = device_.isSequential() ? served_ : device_.pos() - start_;
        if (at >= kMaxQuestionFileBytes) {
            // One byte more than the bound tells a file that ends there from a larger one.
            char extra = 0;
            const qint64 got = device_.read(&extra, 1);
            if (got <= 0) return got;
            exceeded_ = true;
            return -1;
        }
        const qint64 got = device_.read(data, std::min(max, kMaxQuestionFileBytes - at));
        if (got > 0) served_ += got;
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QIODevice& device_;
    qint64 start_;
    qint64 served_ = 0;
    bool exceeded_ = false;
};

}  // namespace

LoadResult loadQuestionDevice(QIODevice& device, QuestionTable& table,
                              const std::function<void(const QString&)>& appendHeading) {
    LoadResult result;
    if (!cp932DecoderAvailable()) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    BoundedReader bounded(device);
    if (!bounded.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    FieldReader reader(bounded);
    try {
        readRecords(reader, table, appendHeading, result);
    } catch (const std::bad_alloc&) {
        // One field larger than the memory can hold: the records read before it stay.
        result.status = LoadStatus::ReadFailed;
        result.tooLarge = true;
    }
    if (bounded.exceeded()) result.status = LoadStatus::TooLarge;
    result.encoding = reader.encoding();
    return result;
}

namespace {

// Why a teacher's file was not read, and which headings continue under a number.
QStringList teacherFileNotes(const LoadResult& result, bool japanese) {
    QStringList notes;
    const int line = result.refusedLine;
    switch (result.refusal) {
        case Refusal::None:
            break;
        case Refusal::NoHeader:
            notes.append(
                japanese
                    ? QStringLiteral("%1行目が列の名前の行ではありません（%2の列がありません）。"
                                     "1行目に「見出し,前の文,問題の部分,後の文,答え」と列の名前を"
                                     "書いてください。何も読み込んでいません。")
                          .arg(line)
                          .arg(result.missingColumns.join(QStringLiteral("・")))
                    : QStringLiteral(
                          "line %1 is not the header (it lacks %2): the first line must "
                          "name the columns 見出し, 前の文, 問題の部分, 後の文 and 答え; "
                          "nothing read")
                          .arg(line)
                          .arg(result.missingColumns.join(QStringLiteral(", "))));
            break;
        case Refusal::LineBreakInField:
            notes.append(japanese ? QStringLiteral("%1行目の項目に改行があるか、引用符（\"）が"
                                                   "閉じていません。何も読み込んでいません。")
                                        .arg(line)
                                  : QStringLiteral("line %1: a field holds a line break or its "
                                                   "quote (\") is not closed; nothing read")
                                        .arg(line));
            break;
        case Refusal::ColumnCount:
            notes.append(japanese ? QStringLiteral("%1行目の項目数が%2で、1行目（列の名前）の"
                                                   "%3と合いません。何も読み込んでいません。")
                                        .arg(line)
                                        .arg(result.refusedFields)
                                        .arg(result.headerFields)
                                  : QStringLiteral("line %1 holds %2 fields, the header %3; "
                                                   "nothing read")
                                        .arg(line)
                                        .arg(result.refusedFields)
                                        .arg(result.headerFields));
            break;
    }
    for (const ContinuedHeading& c : result.continued) {
        const QString second = QStringLiteral("%1 (2)").arg(c.heading);
        const QString last = QStringLiteral("%1 (%2)").arg(c.heading).arg(c.parts);
        if (japanese) {
            notes.append(
                QStringLiteral("「%1」は10問を超えるため、11問目からは%2に続けています。")
                    .arg(c.heading, c.parts == 2
                                        ? QStringLiteral("「%1」").arg(second)
                                        : QStringLiteral("「%1」～「%2」").arg(second, last)));
        } else {
            notes.append(
                QStringLiteral("heading \"%1\" has more than 10 items: items 11 on "
                               "continue in %2")
                    .arg(c.heading, c.parts == 2
                                        ? QStringLiteral("\"%1\"").arg(second)
                                        : QStringLiteral("\"%1\" to \"%2\"").arg(second, last)));
        }
    }
    return notes;
}

}  // namespace

QStringList loadNotes(const LoadResult& result, bool japanese) {
    QStringList notes;
    if (result.status == LoadStatus::TooLarge) {
        const qint64 megabytes = kMaxQuestionFileBytes >> 20;
        notes.append(japanese ? QStringLiteral("%1 MB を超えるファイルは問題ファイルではないため、"
                                               "読み込みません。")
                                    .arg(megabytes)
                              : QStringLiteral("larger than %1 MB, which no question file is: "
                                               "not read")
                                    .arg(megabytes));
    }
    if (result.status == LoadStatus::TooManyRecords) {
        notes.append(japanese ? QStringLiteral("%1件を超える問題は読み込まれていません。")
                                    .arg(QuestionTable::kRecords)
                              : QStringLiteral("the file holds more than %1 records: those after "
                                               "record %1 are not read")
                                    .arg(QuestionTable::kRecords));
    }
    if (result.badLine > 0) {
        notes.append(japanese ? QStringLiteral("%1行目の項目数が%2で、%3ではありません。"
                                               "以降の問題がずれて読み込まれています。")
                                    .arg(result.badLine)
                                    .arg(result.badLineFields)
                                    .arg(slot::kFieldsPerRecord)
                              : QStringLiteral("line %1 holds %2 fields, not %3: the records after "
                                               "it are read shifted")
                                    .arg(result.badLine)
                                    .arg(result.badLineFields)
                                    .arg(slot::kFieldsPerRecord));
    }
    if (result.tooLarge) {
        notes.append(japanese ? QStringLiteral("大きすぎる項目があり、そこから先は読み込めません。")
                              : QStringLiteral("a field is too large to read: the records after "
                                               "it are not read"));
    }
    notes.append(teacherFileNotes(result, japanese));
    return notes;
}

QString encodingName(const LoadResult& result) {
    switch (result.encoding) {
        case TextEncoding::Cp932:
            return QStringLiteral("CP932");
        case TextEncoding::Utf8:
            return QStringLiteral("UTF-8");
        case TextEncoding::Utf8Bom:
            return QStringLiteral("UTF-8 (byte-order mark)");
        case TextEncoding::Utf16LE:
            return QStringLiteral("UTF-16LE (byte-order mark)");
        case TextEncoding::Utf16BE:
            return QStringLiteral("UTF-16BE (byte-order mark)");
    }
    return {};
}

LoadResult loadQuestionFile(const QString& path, QuestionTable& table,
                            const std::function<void(const QString&)>& appendHeading) {
    LoadResult result;
    QFile file;
    switch (openRegularForReading(file, path)) {
        case OpenResult::Opened:
            break;
        case OpenResult::Missing:
            result.status = LoadStatus::FileNotFound;
            return result;
        case OpenResult::NotRegular:
        case OpenResult::Failed:
            result.status = LoadStatus::OpenFailed;
            return result;
    }
    // From now on no output of the process may replace it.
    registerReadFile(path, QStringLiteral("the question file"));
    // A file larger than any question file is not read at all: a sparse file of many gigabytes
    // would otherwise be read and hashed to its end.
    if (file.size() > kMaxQuestionFileBytes) {
        result.status = LoadStatus::TooLarge;
        return result;
    }
    HashingReader reader(file);
    if (!reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    result = isTeacherFileName(path) ? loadTeacherDevice(reader, table, appendHeading)
                                     : loadQuestionDevice(reader, table, appendHeading);
    result.sha256 = reader.sha256();
    return result;
}

}  // namespace pobelo
