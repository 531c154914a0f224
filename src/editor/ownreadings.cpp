#include "ownreadings.h"

#include "kana.h"
#include "readings.h"
#include "teacherfile.h"

namespace pobelo {

bool holdsKanji(const QString& text) {
    const QList<uint> chars = text.toUcs4();
    return std::any_of(chars.begin(), chars.end(), [](uint c) { return reading::isKanji(c); });
}

QList<FilledReading> fillReadings(QList<OwnHeading>& headings, const reading::Analyser& analyser,
                                  const QList<QList<bool>>* given) {
    QList<FilledReading> told;
    for (int h = 0; h < headings.size(); ++h) {
        QList<OwnItem>& items = headings[h].items;
        for (int i = 0; i < items.size(); ++i) {
            OwnItem& item = items[i];
            const bool answered = given ? given->value(h).value(i) : !item.answer.isEmpty();
            if (answered || item.asked.isEmpty()) continue;
            FilledReading f{h, i, item.asked, {}, FilledReading::Outcome::KanaAsked};
            if (holdsKanji(item.asked)) {
                // The sentence as it prints, without the marks of the teacher's own readings.
                const auto plain = [i](const QString& text, MarkedReading::Field field) {
                    return takeReadingMarks(text, i, field, nullptr);
                };
                using F = MarkedReading::Field;
                const reading::SuggestedReading found =
                    reading::askedReading(analyser, plain(item.before, F::Before),
                                          plain(item.asked, F::Asked), plain(item.after, F::After));
                f.reading = found.text;
                f.outcome =
                    found.found ? FilledReading::Outcome::Filled : FilledReading::Outcome::NotFound;
                item.answer = found.text;
            }
            told.append(f);
        }
    }
    return told;
}

}  // namespace pobelo
