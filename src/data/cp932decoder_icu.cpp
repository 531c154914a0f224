#include <QStringDecoder>
#include <cstring>

#include "cp932decoder.h"

namespace pobelo {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// ICU's table for this code page follows IBM's control-code layout: byte 0x1A decodes to U+001C,
// 0x1C to U+007F and 0x7F to U+001A, and ICU also writes U+001A in place of every byte it cannot
// decode. Windows maps all three bytes to themselves. None of them can be the second byte of a
// double-byte character, so they are decoded apart from the bytes around them.
constexpr bool isControlByte(char byte) {
    return byte == 0x1A || byte == 0x1C || byte == 0x7F;
}

bool hasControlByte(QByteArrayView bytes) {
    // An empty view may have no data at all, which memchr must not be given.
    if (bytes.isEmpty()) return false;
    const void* const data = bytes.data();
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    return std::memchr(data, 0x1A, size) || std::memchr(data, 0x1C, size) ||
           std::memchr(data, 0x7F, size);
}

}  // namespace

struct Cp932IcuDecoder::Icu {
    // ICU's name for Windows code page 932.
    QStringDecoder decoder{"windows-31j"};

    // Bytes without control bytes: every U+001A that comes out stands for an undecodable byte.
    void decodePlain(QByteArrayView bytes, QString& out) {
        if (bytes.isEmpty()) return;
        const qsizetype from = out.size();
        out.resize(from + decoder.requiredSpace(bytes.size()));
        QChar* const begin = out.data();
        QChar* const end = decoder.appendToBuffer(begin + from, bytes);
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
};

Cp932IcuDecoder::Cp932IcuDecoder() : icu_(new Icu) {}

Cp932IcuDecoder::~Cp932IcuDecoder() {
    delete icu_;
}

bool Cp932IcuDecoder::isValid() const {
    return icu_->decoder.isValid();
}

void Cp932IcuDecoder::decode(QByteArrayView bytes, QString& out) {
    if (!hasControlByte(bytes)) {
        icu_->decodePlain(bytes, out);
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (isControlByte(bytes[i])) {
            icu_->decodePlain(bytes.sliced(start, i - start), out);
            icu_->decodeControl(bytes[i], out);
            start = i + 1;
        }
    }
    icu_->decodePlain(bytes.sliced(start), out);
}

// A lead byte left over at the end: the decoder holds it back waiting for its partner, so a line
// feed is fed to push it out.
void Cp932IcuDecoder::finish(QString& out) {
    const qsizetype from = out.size();
    icu_->decodePlain(QByteArrayView("\n", 1), out);
    out.chop(1);
    for (qsizetype i = from; i < out.size(); ++i) out[i] = QChar(kReplacement);
}

}  // namespace pobelo
