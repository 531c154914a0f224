#include "kanjitable.h"

#include <algorithm>
#include <iterator>

namespace pobelo::reading {

namespace {

struct KanjiEntry {
    char32_t kanji;
    int grade;
    const char16_t* readings;  // separated by '|'
};

constexpr KanjiEntry kKanji[] = {
#include "kanjitable.inc"
};

const KanjiEntry* find(char32_t kanji) {
    const auto* at = std::lower_bound(std::begin(kKanji), std::end(kKanji), kanji,
                                      [](const KanjiEntry& e, char32_t k) { return e.kanji < k; });
    return at != std::end(kKanji) && at->kanji == kanji ? at : nullptr;
}

}  // namespace

int kanjiGrade(char32_t kanji) {
    const KanjiEntry* e = find(kanji);
    return e ? e->grade : 0;
}

QStringList kanjiReadings(char32_t kanji) {
    const KanjiEntry* e = find(kanji);
    if (!e) return {};
    return QString::fromUtf16(e->readings).split(u'|', Qt::SkipEmptyParts);
}

}  // namespace pobelo::reading
