#pragma once

#include <QtGlobal>

namespace pobelo {

// The length (1 to 4) of the well-formed UTF-8 character at p, of the n bytes available; 0 when
// the bytes there are no well-formed character (overlong forms, surrogates and values above
// U+10FFFF included), -1 when they may still become one but end too early.
inline int utf8SequenceLength(const unsigned char* p, qsizetype n) {
    const unsigned char lead = p[0];
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (k >= n) return -1;
        const unsigned char c = p[k];
        if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return 0;
    }
    return length;
}

}  // namespace pobelo
