#pragma once

#include <QStringList>

namespace pobelo::reading {

// The school grade in which a kanji is first taught (1 to 6, as the 2020 学年別漢字配当表
// assigns the 1026 kanji of elementary school), 8 for the other jōyō kanji, 0 for a kanji
// outside the jōyō table.
int kanjiGrade(char32_t kanji);
// A jōyō kanji's readings in hiragana (on'yomi and kun'yomi stems); empty for any other.
QStringList kanjiReadings(char32_t kanji);

}  // namespace pobelo::reading
