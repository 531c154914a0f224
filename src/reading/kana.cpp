#include "kana.h"

namespace pobelo::reading {

bool isKanji(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3005 ||
           c == 0x3006;
}

bool isKana(char32_t c) {
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC ||
           c == 0x309D || c == 0x309E;
}

QString toHiragana(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0x30A1 && u <= 0x30F6 && u != 0x30F4) c = QChar(char16_t(u - 0x60));
    }
    return out;
}

}  // namespace pobelo::reading
