#pragma once

#include <QByteArrayView>
#include <QString>

namespace pobelo {

// Windows code page 932 (Shift-JIS with the NEC and IBM extensions), decoded chunk by chunk: a
// lead byte that ends one chunk waits for the next, and every byte that cannot be decoded gives
// U+FFFD. Bytes 0x1A, 0x1C and 0x7F are themselves, as on Windows.

// Whether byte starts a two-byte character.
constexpr bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The decoder with a table of its own, the same on every system. On Linux the table is checked
// against ICU's decoder, which the reader uses there.
class Cp932TableDecoder {
  public:
    bool isValid() const { return true; }
    void decode(QByteArrayView bytes, QString& out);
    // Appends U+FFFD for a lead byte left over at the end of the input.
    void finish(QString& out);

  private:
    unsigned char lead_ = 0;  // a lead byte waiting for its partner, or 0
};

// In the table, for a lead byte and a second byte that make no character: whether both bytes
// give one U+FFFD, or the lead byte alone gives it and the second is read again on its own.
inline constexpr char16_t kCp932BothBad = 0xFFFD;
inline constexpr char16_t kCp932LeadBad = 0;

#if POBELO_HAVE_ICU_CP932
// Qt's ICU-backed decoder ("windows-31j") with the reader's rules.
class Cp932IcuDecoder {
  public:
    Cp932IcuDecoder();
    ~Cp932IcuDecoder();
    Cp932IcuDecoder(const Cp932IcuDecoder&) = delete;
    Cp932IcuDecoder& operator=(const Cp932IcuDecoder&) = delete;
    bool isValid() const;
    void decode(QByteArrayView bytes, QString& out);
    void finish(QString& out);

  private:
    struct Icu;
    Icu* icu_;
};
using Cp932Decoder = Cp932IcuDecoder;
#else
using Cp932Decoder = Cp932TableDecoder;
#endif

}  // namespace pobelo
