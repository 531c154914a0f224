#pragma once

#include <QString>

namespace pobelo::reading {

// A kanji as ruby and readings treat it: a CJK ideograph (the unified ones, their extensions and
// the compatibility block), and 々 and 〆, which stand for one.
bool isKanji(char32_t c);
// Hiragana or katakana, the long-vowel mark included.
bool isKana(char32_t c);
// Katakana as hiragana (ヴ stays, having no hiragana in school print); everything else as it is.
QString toHiragana(const QString& text);

}  // namespace pobelo::reading
