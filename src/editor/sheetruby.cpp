#include "sheetruby.h"

#include <algorithm>

#include "kana.h"
#include "kanjitable.h"
#include "readings.h"
#include "sheet.h"
#include "textruns.h"

namespace pobelo {

QString rubyName(RubySetting setting) {
    switch (setting) {
        case RubySetting::None:
            return QStringLiteral("none");
        case RubySetting::All:
            return QStringLiteral("all");
        default:
            return QString::number(int(setting));
    }
}

std::optional<RubySetting> rubyNamed(QStringView name) {
    for (int s = int(RubySetting::None); s <= int(RubySetting::All); ++s) {
        if (name.compare(rubyName(RubySetting(s)), Qt::CaseInsensitive) == 0) return RubySetting(s);
    }
    return std::nullopt;
}

QString rubyCaption(RubySetting setting) {
    switch (setting) {
        case RubySetting::None:
            return QStringLiteral("ふりがな なし");
        case RubySetting::All:
            return QStringLiteral("すべての漢字に");
        default:
            return QStringLiteral("%1年生までに習わない漢字に").arg(int(setting));
    }
}

bool kanjiGetsRuby(RubySetting setting, char32_t kanji) {
    switch (setting) {
        case RubySetting::None:
            return false;
        case RubySetting::All:
            return true;
        default: {
            const int grade = reading::kanjiGrade(kanji);
            return grade == 0 || grade > int(setting);
        }
    }
}

namespace {

using reading::ReadingSpan;

struct Range {
    qsizetype start = 0;
    qsizetype end = 0;
    bool overlaps(qsizetype s, qsizetype e) const { return s < end && start < e; }
};

// Whether a span's kanji ask for ruby; 々 is the kanji it repeats.
bool spanGetsRuby(const QString& text, const ReadingSpan& span, RubySetting setting) {
    char32_t previous = 0;
    const QList<uint> before = QStringView(text).first(span.start).toUcs4();
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        if (reading::isKanji(*it) && *it != U'々') {
            previous = *it;
            break;
        }
    }
    for (const uint c : QStringView(text).mid(span.start, span.length).toUcs4()) {
        if (!reading::isKanji(c)) continue;
        const char32_t kanji = c == U'々' && previous != 0 ? previous : c;
        if (c != U'々') previous = c;
        if (kanjiGetsRuby(setting, kanji)) return true;
    }
    return false;
}

bool holdsKanji(const QString& text) {
    const QList<uint> chars = text.toUcs4();
    return std::any_of(chars.begin(), chars.end(), [](uint c) { return reading::isKanji(c); });
}

}  // namespace

SentenceRuby sentenceRuby(const reading::Analyser& analyser, const RubySentence& s,
                          RubySetting setting) {
    if (setting == RubySetting::None) return {};
    const QString text = s.before + s.asked + s.after;
    const Range asked{s.before.size(), s.before.size() + s.asked.size()};
    QList<ReadingSpan> spans = reading::sentenceSpans(analyser, text);

    // A teacher's reading takes the place of the dictionary's over its word.
    for (const MarkedReading& t : s.teacher) {
        qsizetype from = 0;
        switch (t.field) {
            case MarkedReading::Before:
                break;
            case MarkedReading::Asked:
                from = asked.start;
                break;
            case MarkedReading::After:
                from = asked.end;
                break;
            case MarkedReading::Answer:
                continue;
        }
        const qsizetype start = from + t.start;
        const qsizetype end = start + t.length;
        if (t.start < 0 || t.length <= 0 || end > text.size()) continue;
        spans.removeIf([&](const ReadingSpan& sp) {
            return Range{start, end}.overlaps(sp.start, sp.start + sp.length);
        });
        const QString word = text.mid(start, t.length);
        QList<ReadingSpan> own;
        if (!t.reading.isEmpty()) {
            own = reading::alignWord(word, t.reading);
            if (own.isEmpty())
                own = {ReadingSpan{0, t.length, ReadingSpan::Kind::Kanji, t.reading, true}};
        }
        for (ReadingSpan& sp : own) {
            sp.start += start;
            spans.append(sp);
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const ReadingSpan& a, const ReadingSpan& b) { return a.start < b.start; });

    // What must not be given away: the asked part, and the words other items ask to be read.
    QList<Range> kept;
    if (!s.asked.isEmpty()) kept.append(asked);
    for (const QString& word : s.readAsked) {
        if (word.isEmpty()) continue;
        for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1))
            kept.append(Range{at, at + word.size()});
    }

    // From UTF-16 units to the characters the printers place.
    const QStringList cells = textCells(text);
    QList<qsizetype> cellStarts;
    qsizetype unit = 0;
    for (const QString& cell : cells) {
        cellStarts.append(unit);
        unit += cell.size();
    }
    const auto cellOf = [&](qsizetype at) {
        return qsizetype(std::upper_bound(cellStarts.begin(), cellStarts.end(), at) -
                         cellStarts.begin()) -
               1;
    };

    SentenceRuby ruby;
    qsizetype nextCell = 0;
    for (const ReadingSpan& sp : spans) {
        if (sp.kind != ReadingSpan::Kind::Kanji || sp.reading.isEmpty() || sp.length <= 0) continue;
        const qsizetype end = sp.start + sp.length;
        if (std::any_of(kept.begin(), kept.end(),
                        [&](const Range& r) { return r.overlaps(sp.start, end); }))
            continue;
        if (!spanGetsRuby(text, sp, setting)) continue;
        const qsizetype first = cellOf(sp.start);
        const qsizetype last = cellOf(end - 1);
        if (first < nextCell || last < first) continue;
        ruby.append(RubyText{first, last - first + 1, sp.reading});
        nextCell = last + 1;
    }
    return ruby;
}

std::array<SentenceRuby, 10> pageRuby(const SheetPage& page, int index, const QuestionTable& table,
                                      RubySetting setting, const reading::Analyser& analyser) {
    std::array<SentenceRuby, 10> ruby;
    const PageVariant& v = page.variant;
    if (setting == RubySetting::None || !v.composed()) return ruby;
    const PageItems items = printedItems(v, index, table);
    const auto usable = [](const ItemRef& ref) {
        return !ref.isEmpty() && QuestionTable::inRange(ref.record, slot::kFontName);
    };
    // What the page's items ask to be read: asked parts that show kanji.
    QStringList read;
    for (const ItemRef& ref : items) {
        if (!usable(ref)) continue;
        const QString& question =
            table.at(ref.record, v.flipped ? slot::answer(ref.item) : slot::askedText(ref.item));
        if (holdsKanji(question)) read.append(question);
    }
    for (int i = 0; i < 10; ++i) {
        const ItemRef ref = items[i];
        if (!usable(ref)) continue;
        RubySentence s;
        s.before = table.at(ref.record, slot::beforeText(ref.item));
        s.asked =
            table.at(ref.record, v.flipped ? slot::answer(ref.item) : slot::askedText(ref.item));
        s.after = table.at(ref.record, slot::afterText(ref.item));
        for (const MarkedReading& r : readingsOfSlot(table.at(ref.record, slot::kReadings))) {
            if (r.item == ref.item && r.field != MarkedReading::Asked) s.teacher.append(r);
        }
        s.readAsked = read;
        ruby[i] = sentenceRuby(analyser, s, setting);
    }
    return ruby;
}

}  // namespace pobelo
