#include "ruby.h"

#include <algorithm>
#include <limits>

#include "textruns.h"

namespace pobelo {

namespace {
constexpr float kTwipsPerPoint = 20;
}  // namespace

bool isKanaCell(const QString& cell) {
    const char32_t c = shownCodePoint(cell);
    return (c >= 0x3041 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF) ||
           (c >= 0xFF66 && c <= 0xFF9D);
}

RubyPlacement placeRuby(const QStringList& cells, qsizetype leading, const SentenceRuby& ruby,
                        qsizetype askedFirst, qsizetype askedCount, float pitch, float points) {
    RubyPlacement out;
    out.rubyPoints = points / 2;
    const float rubyEm = points * kTwipsPerPoint / 2;
    const qsizetype n = cells.size();
    out.cells.resize(n);
    const auto asked = [&](qsizetype k) { return k >= askedFirst && k < askedFirst + askedCount; };
    // Ruby may overhang kana of the sentence, none of the asked part.
    const auto overhangable = [&](qsizetype k) {
        return k >= leading && k < n && !asked(k) && isKanaCell(cells[k]);
    };

    float shift = 0;     // how far the spreading so far has moved the rest of the sentence
    qsizetype next = 0;  // the first character not yet placed
    float rubyEnd = -std::numeric_limits<float>::infinity();  // where the ruby so far ends
    for (const RubyText& r : ruby) {
        const qsizetype b = leading + r.first;
        const qsizetype e = b + r.count;
        const QStringList reading = textCells(r.reading);
        if (r.count <= 0 || b < next || e > n || reading.isEmpty()) continue;
        for (; next < b; ++next) out.cells[next] = pitch * next + shift;
        const float start = pitch * b + shift;
        const float base = pitch * r.count;
        const qsizetype m = reading.size();
        const float length = rubyEm * m;
        float first = 0;      // where the ruby's first character begins
        float rubyPitch = 0;  // and how far apart they stand
        if (length <= base) {
            for (qsizetype k = b; k < e; ++k) out.cells[k] = pitch * k + shift;
            if (r.count == 1) {
                first = start + (base - length) / 2;
                rubyPitch = rubyEm;
            } else {
                rubyPitch = base / m;
                first = start + (rubyPitch - rubyEm) / 2;
            }
        } else {
            const float excess = length - base;
            const float before =
                overhangable(b - 1) ? std::clamp(start - rubyEnd, 0.0f, pitch / 2) : 0.0f;
            const float after = e == n || overhangable(e) ? pitch / 2 : 0.0f;
            const float over = std::min({excess / 2, before, after});
            const float spread = base + excess - 2 * over;
            const float slot = spread / r.count;
            for (qsizetype i = 0; i < r.count; ++i)
                out.cells[b + i] = start + slot * i + (slot - pitch) / 2;
            first = start - over;
            rubyPitch = rubyEm;
            shift += spread - base;
        }
        for (qsizetype j = 0; j < m; ++j)
            out.ruby.append(RubyPlacement::Piece{first + rubyPitch * j, reading[j]});
        rubyEnd = first + rubyPitch * (m - 1) + rubyEm;
        next = e;
    }
    for (; next < n; ++next) out.cells[next] = pitch * next + shift;
    out.end = pitch * n + shift;
    return out;
}

}  // namespace pobelo
