#include "cp932decoder.h"

namespace pobelo {

namespace {
#include "cp932table.inc"

int leadIndex(unsigned char lead) {
    return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1);
}
}  // namespace

void Cp932TableDecoder::decode(QByteArrayView bytes, QString& out) {
    const qsizetype from = out.size();
    out.resize(from + bytes.size() + 1);
    QChar* const begin = out.data();
    QChar* p = begin + from;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (lead_) {
            const char16_t value = kCp932Double[leadIndex(lead_)][byte];
            lead_ = 0;
            if (value != kCp932LeadBad) {
                *p++ = QChar(value);
                continue;
            }
            *p++ = QChar(kCp932BothBad);
        }
        if (isCp932LeadByte(byte)) {
            lead_ = byte;
            continue;
        }
        *p++ = QChar(kCp932Single[byte]);
    }
    out.truncate(p - begin);
}

void Cp932TableDecoder::finish(QString& out) {
    if (lead_) out.append(QChar(kCp932BothBad));
    lead_ = 0;
}

}  // namespace pobelo
