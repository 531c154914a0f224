#include "readings.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <optional>

#include "kana.h"
#include "kanjitable.h"

namespace pobelo::reading {

namespace {

using Kind = ReadingSpan::Kind;

Kind kindOf(char32_t c) {
    if (isKanji(c)) return Kind::Kanji;
    if (isKana(c) && c != U'ヵ' && c != U'ヶ') return Kind::Kana;
    return Kind::Other;
}

// A word's characters in runs of one kind.
struct Run {
    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = Kind::Other;
    QList<char32_t> chars;
};

QList<Run> runsOf(const QString& text) {
    QList<Run> runs;
    for (qsizetype at = 0; at < text.size();) {
        const char32_t c = QStringView(text).mid(at).toUcs4().value(0);
        const qsizetype width = QChar::requiresSurrogates(c) ? 2 : 1;
        const Kind kind = kindOf(c);
        if (runs.isEmpty() || runs.last().kind != kind) runs.append({at, 0, kind, {}});
        runs.last().length += width;
        runs.last().chars.append(c);
        at += width;
    }
    return runs;
}

const QHash<QChar, QChar>& voiced() {
    static const QHash<QChar, QChar> map = [] {
        QHash<QChar, QChar> m;
        const QString plain = QStringLiteral("かきくけこさしすせそたちつてとはひふへほ");
        const QString voice = QStringLiteral("がぎぐげござじずぜぞだぢづでどばびぶべぼ");
        for (int i = 0; i < plain.size(); ++i) m.insert(plain[i], voice[i]);
        return m;
    }();
    return map;
}

const QHash<QChar, QChar>& halfVoiced() {
    static const QHash<QChar, QChar> map = [] {
        QHash<QChar, QChar> m;
        const QString plain = QStringLiteral("はひふへほ");
        const QString voice = QStringLiteral("ぱぴぷぺぽ");
        for (int i = 0; i < plain.size(); ++i) m.insert(plain[i], voice[i]);
        return m;
    }();
    return map;
}

// The forms a kanji's reading takes inside a compound: as it is, voiced or half-voiced after
// another kanji (人々 → ひと・びと, 日本 → に・ほん … いっ・ぽん), and shortened to a small っ
// before one (学校 → がっ・こう).
QStringList formsOf(const QString& reading, bool first, bool last) {
    QStringList forms{reading};
    if (!first && !reading.isEmpty()) {
        for (const auto* map : {&voiced(), &halfVoiced()}) {
            if (const auto it = map->find(reading[0]); it != map->end())
                forms.append(*it + reading.mid(1));
        }
    }
    if (!last && reading.size() > 1 && QStringLiteral("つちくき").contains(reading.back())) {
        const qsizetype n = forms.size();
        for (qsizetype i = 0; i < n; ++i) forms.append(forms[i].chopped(1) + u'っ');
    }
    return forms;
}

// Splits reading over the kanji of a run, one reading each from the kanji table, or nothing.
std::optional<QStringList> splitOverKanji(const QList<char32_t>& kanji, const QString& reading) {
    QStringList parts;
    std::function<bool(int, qsizetype)> split = [&](int i, qsizetype at) {
        if (i == kanji.size()) return at == reading.size();
        // 々 repeats the kanji before it.
        const char32_t k = kanji[i] == U'々' && i > 0 ? kanji[i - 1] : kanji[i];
        for (const QString& base : kanjiReadings(k)) {
            for (const QString& form : formsOf(base, i == 0, i + 1 == kanji.size())) {
                if (QStringView(reading).mid(at).startsWith(form)) {
                    parts.append(form);
                    if (split(i + 1, at + form.size())) return true;
                    parts.removeLast();
                }
            }
        }
        return false;
    };
    if (split(0, 0)) return parts;
    return std::nullopt;
}

// Lays reading over the runs from run r and reading position at onwards.
struct Aligner {
    const QList<Run>& runs;
    const QString& reading;
    QList<ReadingSpan> spans;

    qsizetype leastFrom(int r) const {
        qsizetype least = 0;
        for (int i = r; i < runs.size(); ++i)
            least += runs[i].kind == Kind::Kana ? runs[i].length : 1;
        return least;
    }

    bool kanjiSpans(const Run& run, const QString& part) {
        if (run.chars.size() == 1) {
            spans.append({run.start, run.length, Kind::Kanji, part, false});
            return true;
        }
        if (const auto parts = splitOverKanji(run.chars, part)) {
            qsizetype at = run.start;
            for (int i = 0; i < run.chars.size(); ++i) {
                const qsizetype width = QChar::requiresSurrogates(run.chars[i]) ? 2 : 1;
                spans.append({at, width, Kind::Kanji, (*parts)[i], false});
                at += width;
            }
            return true;
        }
        spans.append({run.start, run.length, Kind::Kanji, part, true});
        return false;
    }

    // Prefers a length for a kanji run at which each of its kanji takes a reading of its own.
    bool align(int r, qsizetype at) {
        if (r == runs.size()) return at == reading.size();
        const Run& run = runs[r];
        const qsizetype rest = reading.size() - at;
        if (run.kind == Kind::Kana) {
            QString text;
            for (char32_t c : run.chars) text += QString::fromUcs4(&c, 1);
            text = toHiragana(text);
            if (QStringView(reading).mid(at, text.size()) != text) return false;
            spans.append({run.start, run.length, Kind::Kana, text, false});
            if (align(r + 1, at + text.size())) return true;
            spans.removeLast();
            return false;
        }
        const qsizetype most = rest - leastFrom(r + 1);
        std::optional<QList<ReadingSpan>> fallback;
        for (qsizetype length = 1; length <= most; ++length) {
            const qsizetype mark = spans.size();
            const QString part = reading.mid(at, length);
            bool own = true;
            if (run.kind == Kind::Kanji)
                own = kanjiSpans(run, part);
            else
                spans.append({run.start, run.length, Kind::Other, part, false});
            if (align(r + 1, at + length)) {
                if (own) return true;
                if (!fallback) fallback = spans;
            }
            spans.resize(mark);
        }
        if (fallback) {
            spans = *fallback;
            return true;
        }
        return false;
    }
};

int digitOf(QChar c) {
    static const QString kanji = QStringLiteral("〇一二三四五六七八九");
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'０' && c <= u'９') return c.unicode() - u'０';
    const qsizetype k = kanji.indexOf(c);
    return k >= 0 ? int(k) : -1;
}

// The value of a number in digits or in kanji numerals (二十, 三百五, 千二百, or 二〇二六).
std::optional<int> numberValue(const QString& text) {
    if (text.isEmpty() || text.size() > 8) return std::nullopt;
    const bool positional =
        std::all_of(text.begin(), text.end(), [](QChar c) { return digitOf(c) >= 0; });
    if (positional) {
        int value = 0;
        for (QChar c : text) value = value * 10 + digitOf(c);
        return value;
    }
    int value = 0;
    int pending = -1;
    for (QChar c : text) {
        const int d = digitOf(c);
        const int place = c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
        if (d >= 0) {
            if (pending >= 0) return std::nullopt;
            pending = d;
        } else if (place) {
            value += (pending < 0 ? 1 : pending) * place;
            pending = -1;
        } else {
            return std::nullopt;
        }
    }
    return value + std::max(pending, 0);
}

const QStringList kUnits{QString(),
                         QStringLiteral("いち"),
                         QStringLiteral("に"),
                         QStringLiteral("さん"),
                         QStringLiteral("よん"),
                         QStringLiteral("ご"),
                         QStringLiteral("ろく"),
                         QStringLiteral("なな"),
                         QStringLiteral("はち"),
                         QStringLiteral("きゅう")};

QString readValue(int value) {
    if (value == 0) return QStringLiteral("ぜろ");
    static const QStringList thousands{QString(),
                                       QStringLiteral("せん"),
                                       QStringLiteral("にせん"),
                                       QStringLiteral("さんぜん"),
                                       QStringLiteral("よんせん"),
                                       QStringLiteral("ごせん"),
                                       QStringLiteral("ろくせん"),
                                       QStringLiteral("ななせん"),
                                       QStringLiteral("はっせん"),
                                       QStringLiteral("きゅうせん")};
    static const QStringList hundreds{QString(),
                                      QStringLiteral("ひゃく"),
                                      QStringLiteral("にひゃく"),
                                      QStringLiteral("さんびゃく"),
                                      QStringLiteral("よんひゃく"),
                                      QStringLiteral("ごひゃく"),
                                      QStringLiteral("ろっぴゃく"),
                                      QStringLiteral("ななひゃく"),
                                      QStringLiteral("はっぴゃく"),
                                      QStringLiteral("きゅうひゃく")};
    QString out = thousands[value / 1000 % 10] + hundreds[value / 100 % 10];
    const int tens = value / 10 % 10;
    if (tens) out += (tens == 1 ? QString() : kUnits[tens]) + QStringLiteral("じゅう");
    return out + kUnits[value % 10];
}

// Numbers said with a counter in a way of their own.
QString specialCount(int value, const QString& counter) {
    static const QHash<QString, QHash<int, QString>> table{
        {QStringLiteral("日"),
         {{2, QStringLiteral("ふつか")},
          {3, QStringLiteral("みっか")},
          {4, QStringLiteral("よっか")},
          {5, QStringLiteral("いつか")},
          {6, QStringLiteral("むいか")},
          {7, QStringLiteral("なのか")},
          {8, QStringLiteral("ようか")},
          {9, QStringLiteral("ここのか")},
          {10, QStringLiteral("とおか")},
          {14, QStringLiteral("じゅうよっか")},
          {20, QStringLiteral("はつか")},
          {24, QStringLiteral("にじゅうよっか")}}},
        {QStringLiteral("人"),
         {{1, QStringLiteral("ひとり")},
          {2, QStringLiteral("ふたり")},
          {4, QStringLiteral("よにん")}}},
        {QStringLiteral("つ"),
         {{1, QStringLiteral("ひとつ")},
          {2, QStringLiteral("ふたつ")},
          {3, QStringLiteral("みっつ")},
          {4, QStringLiteral("よっつ")},
          {5, QStringLiteral("いつつ")},
          {6, QStringLiteral("むっつ")},
          {7, QStringLiteral("ななつ")},
          {8, QStringLiteral("やっつ")},
          {9, QStringLiteral("ここのつ")},
          {10, QStringLiteral("とお")}}},
    };
    return table.value(counter).value(value);
}

// A number and its counter as they are said: the number's last sound shortened to っ before a
// counter that starts with k, s, t or h (一本 → いっぽん, 六個 → ろっこ, 十冊 → じゅっさつ), h made
// p after it, and the counter voiced after ん (三本 → さんぼん, 三階 → さんがい; 分 → ぷん).
QString countReading(int value, const QString& counter, const QString& counterReading) {
    if (const QString special = specialCount(value, counter); !special.isEmpty()) return special;
    if (counterReading.isEmpty()) return {};
    QString number = readValue(value);
    QString after = counterReading;
    const QChar head = after[0];
    const bool h = halfVoiced().contains(head);
    const bool k = QStringLiteral("かきくけこ").contains(head);
    const bool st = QStringLiteral("さしすせそたちつてと").contains(head);
    const int unit = value % 10;
    bool smallTsu = false;
    if (unit == 1 || unit == 8)
        smallTsu = h || k || st;
    else if (unit == 6)
        smallTsu = h || k;
    else if (value % 100 != 0 && value % 10 == 0)
        smallTsu = h || k || st;  // …じゅう → …じゅっ
    else if (value % 1000 != 0 && value % 100 == 0)
        smallTsu = h || k;  // …ひゃく → …ひゃっ
    if (smallTsu) {
        number = number.chopped(1) + u'っ';
        if (h) after = halfVoiced().value(head) + after.mid(1);
    } else if (number.endsWith(u'ん')) {
        const bool three = number.endsWith(QStringLiteral("さん"));
        if (h && counter == QStringLiteral("分") &&
            (three || number.endsWith(QStringLiteral("よん"))))
            after = halfVoiced().value(head) + after.mid(1);
        else if (h && (three || number.endsWith(QStringLiteral("せん"))))
            after = voiced().value(head) + after.mid(1);
        else if (three && (counter == QStringLiteral("階") || counter == QStringLiteral("軒")))
            after = voiced().value(head) + after.mid(1);
    }
    return number + after;
}

// Joins a number the dictionary split (二 十, or digits it does not read) into one word read as
// a whole, with the counter after it.
QList<Morpheme> readNumbers(const QList<Morpheme>& words) {
    QList<Morpheme> out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const Morpheme& w = words[i];
        const bool numeral =
            w.role == Morpheme::Role::Number || (w.reading.isEmpty() && numberValue(w.surface));
        if (!numeral) {
            out.append(w);
            continue;
        }
        QString surface = w.surface;
        qsizetype j = i + 1;
        while (j < words.size() &&
               (words[j].role == Morpheme::Role::Number ||
                (words[j].reading.isEmpty() && numberValue(words[j].surface))) &&
               numberValue(surface + words[j].surface))
            surface += words[j++].surface;
        const std::optional<int> value = numberValue(surface);
        if (!value) {
            out.append(w);
            continue;
        }
        Morpheme joined{surface, readValue(*value), Morpheme::Role::Number};
        if (j < words.size() && words[j].role == Morpheme::Role::Counter) {
            const QString said = countReading(*value, words[j].surface, words[j].reading);
            if (!said.isEmpty()) {
                joined = {surface + words[j].surface, said, Morpheme::Role::Counter};
                ++j;
            }
        }
        out.append(joined);
        i = j - 1;
    }
    return out;
}

// The spans of characters no reading could be laid over: kana read as written, kanji unread.
void unreadSpans(const QString& text, qsizetype offset, QList<ReadingSpan>& spans) {
    for (const Run& run : runsOf(text)) {
        QString reading;
        if (run.kind != Kind::Kanji) reading = toHiragana(text.mid(run.start, run.length));
        spans.append({offset + run.start, run.length, run.kind, reading,
                      run.kind == Kind::Kanji && run.chars.size() > 1});
    }
}

}  // namespace

QString numberReading(const QString& number) {
    const std::optional<int> value = numberValue(number);
    return value && *value < 10000 ? readValue(*value) : QString();
}

QList<ReadingSpan> alignWord(const QString& surface, const QString& reading) {
    if (surface.isEmpty() || reading.isEmpty()) return {};
    const QList<Run> runs = runsOf(surface);
    Aligner aligner{runs, reading, {}};
    if (!aligner.align(0, 0)) return {};
    return aligner.spans;
}

QList<ReadingSpan> sentenceSpans(const Analyser& analyser, const QString& sentence) {
    QList<ReadingSpan> spans;
    qsizetype at = 0;
    for (const Morpheme& word : readNumbers(analyser.analyse(sentence))) {
        const qsizetype found = sentence.indexOf(word.surface, at);
        if (word.surface.isEmpty() || found < 0) continue;
        if (found > at) unreadSpans(sentence.mid(at, found - at), at, spans);
        QList<ReadingSpan> laid = alignWord(word.surface, word.reading);
        if (laid.isEmpty() && word.role == Morpheme::Role::Counter && !word.reading.isEmpty()) {
            // A number and its counter said in a way of its own (三日 → みっか, 3人 → さんにん).
            laid.append({0, word.surface.size(), Kind::Kanji, word.reading, true});
        }
        if (laid.isEmpty()) {
            unreadSpans(word.surface, found, spans);
        } else {
            for (ReadingSpan& s : laid) s.start += found;
            spans.append(laid);
        }
        at = found + word.surface.size();
    }
    if (at < sentence.size()) unreadSpans(sentence.mid(at), at, spans);
    return spans;
}

SuggestedReading askedReading(const Analyser& analyser, const QString& before, const QString& asked,
                              const QString& after) {
    if (asked.isEmpty() || !analyser.available()) return {};
    const QString sentence = before + asked + after;
    const qsizetype from = before.size();
    const qsizetype to = from + asked.size();
    QString text;
    for (const ReadingSpan& s : sentenceSpans(analyser, sentence)) {
        const qsizetype start = std::max(s.start, from);
        const qsizetype end = std::min(s.start + s.length, to);
        if (start >= end) continue;
        const bool whole = start == s.start && end == s.start + s.length;
        const QString written = sentence.mid(start, end - start);
        if (s.kind == Kind::Kana) {
            text += toHiragana(written);
        } else if (s.kind == Kind::Other &&
                   (s.reading.isEmpty() ||
                    s.reading == toHiragana(sentence.mid(s.start, s.length)))) {
            text += toHiragana(written);
        } else if (whole && !s.reading.isEmpty()) {
            text += s.reading;
        } else {
            return {};
        }
    }
    return {text, !text.isEmpty()};
}

}  // namespace pobelo::reading
