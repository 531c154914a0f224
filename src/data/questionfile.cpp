#include "questionfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>
#include <cstring>

namespace pobelo {

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;
constexpr char16_t kReplacement = 0xFFFD;

// ICU's name for Windows code page 932 (Shift-JIS with the NEC and IBM extensions).
constexpr const char* kCp932 = "windows-31j";

// ICU's table for this code page follows IBM's control-code layout: byte 0x1A decodes to U+001C,
// 0x1C to U+007F and 0x7F to U+001A, and ICU also writes U+001A in place of every byte it cannot
// decode. Windows maps all three bytes to themselves. None of them can be the second byte of a
// double-byte character, so they are decoded apart from the bytes around them.
constexpr bool isControlByte(char byte) {
    return byte == 0x1A || byte == 0x1C || byte == 0x7F;
}

bool hasControlByte(QByteArrayView bytes) {
    const void* const data = bytes.data();
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    return std::memchr(data, 0x1A, size) || std::memchr(data, 0x1C, size) ||
           std::memchr(data, 0x7F, size);
}

// Decodes CP932 bytes chunk by chunk, keeping a lead byte that ends one chunk for the next, and
// writes U+FFFD for every byte it cannot decode.
class Cp932Decoder {
  public:
    bool isValid() const { return decoder_.isValid(); }

    // Appends the characters of bytes to out.
    void decode(QByteArrayView bytes, QString& out) {
        if (!hasControlByte(bytes)) {
            decodePlain(bytes, out);
            return;
        }
        qsizetype start = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (isControlByte(bytes[i])) {
                decodePlain(bytes.sliced(start, i - start), out);
                decodeControl(bytes[i], out);
                start = i + 1;
            }
        }
        decodePlain(bytes.sliced(start), out);
    }

    // Appends U+FFFD for a lead byte left over at the end of the input. The decoder holds such a
    // byte back waiting for its partner, so a line feed is fed to push it out.
    void finish(QString& out) {
        const qsizetype from = out.size();
        decodePlain(QByteArrayView("\n", 1), out);
        out.chop(1);
        for (qsizetype i = from; i < out.size(); ++i) out[i] = QChar(kReplacement);
    }

  private:
    // Bytes without control bytes: every U+001A that comes out stands for an undecodable byte.
    void decodePlain(QByteArrayView bytes, QString& out) {
        if (bytes.isEmpty()) return;
        const qsizetype from = out.size();
        out.resize(from + decoder_.requiredSpace(bytes.size()));
        QChar* const begin = out.data();
        QChar* const end = decoder_.appendToBuffer(begin + from, bytes);
        out.truncate(end - begin);
        const QStringView decoded(begin + from, end);
        for (qsizetype i = decoded.indexOf(u'\x1A'); i >= 0; i = decoded.indexOf(u'\x1A', i + 1)) {
            begin[from + i] = QChar(kReplacement);
        }
    }

    // One control byte; whatever comes out before its own character replaces a pending lead byte.
    void decodeControl(char byte, QString& out) {
        const qsizetype from = out.size();
        decodePlain(QByteArrayView(&byte, 1), out);
        for (qsizetype i = from; i + 1 < out.size(); ++i) out[i] = QChar(kReplacement);
        if (out.size() > from) out[out.size() - 1] = QChar(char16_t(byte));
    }

    QStringDecoder decoder_{kCp932};
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

bool endsField(char16_t c) {
    return c <= u',' && (c == u',' || c == u'\n' || c == u'\r');
}

// Reads comma-separated fields from a device holding CP932 text. The device is read in chunks, as
// the fields are asked for, so nothing past the last field asked for is decoded beyond its chunk.
class FieldReader {
  public:
    explicit FieldReader(QIODevice& device)
        : device_(device), bytes_(kChunkBytes, Qt::Uninitialized) {}

    // True when no character is left: the device is at its end, or could not be read further.
    bool atEnd() { return pos_ >= buf_.size() && !fill(); }
    bool readFailed() const { return failed_; }

    // Reads the next field into out. False, with out untouched, when there is nothing left to read.
    bool readField(QString& out) {
        if (atEnd()) return false;
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
            const qint64 got = device_.read(bytes_.data(), kChunkBytes);
            if (got < 0) {
                failed_ = true;
                exhausted_ = true;
            } else if (got == 0) {
                decoder_.finish(buf_);
                exhausted_ = true;
            } else {
                decoder_.decode(QByteArrayView(bytes_.constData(), got), buf_);
            }
        }
        return !buf_.isEmpty();
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

    QIODevice& device_;
    Cp932Decoder decoder_;
    QByteArray bytes_;
    QString buf_;
    qsizetype pos_ = 0;
    bool exhausted_ = false;
    bool failed_ = false;
};

}  // namespace

bool cp932DecoderAvailable() {
    // A decoder of that name must also map the two bytes where CP932 and plain Shift-JIS differ.
    static const bool available = [] {
        QStringDecoder decoder(kCp932);
        if (!decoder.isValid()) return false;
        const QString text = decoder.decode(QByteArrayView("\x87\x40\x81\x60", 4));
        return !decoder.hasError() && text == QStringView(u"\u2460\uFF5E");
    }();
    return available;
}

LoadResult loadQuestionDevice(QIODevice& device, QuestionTable& table,
                              const std::function<void(const QString&)>& appendHeading) {
    LoadResult result;
    if (!cp932DecoderAvailable()) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    FieldReader reader(device);
    int record = 0;
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
        }
        if (reader.readFailed()) {
            result.status = LoadStatus::ReadFailed;
            break;
        }
        if (!whole) {
            result.status = LoadStatus::Incomplete;
            break;
        }
        if (appendHeading) appendHeading(table.at(record, slot::kHeading));
        ++record;
        result.recordCount = static_cast<float>(record);
    }
    return result;
}

LoadResult loadQuestionFile(const QString& path, QuestionTable& table,
                            const std::function<void(const QString&)>& appendHeading) {
    LoadResult result;
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        result.status = LoadStatus::FileNotFound;
        return result;
    }
    // A folder, a device or a pipe is no question file.
    if (!QFileInfo(path).isFile()) {
        result.status = LoadStatus::OpenFailed;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = QFileInfo::exists(path) ? LoadStatus::OpenFailed : LoadStatus::FileNotFound;
        return result;
    }
    return loadQuestionDevice(file, table, appendHeading);
}

}  // namespace pobelo
