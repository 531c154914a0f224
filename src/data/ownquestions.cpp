#include "ownquestions.h"

#include <QStringList>
#include <algorithm>

#include "teacherfile.h"

namespace pobelo {

QString oneLineField(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

namespace {

QString csvField(const QString& text) {
    QString field = oneLineField(text);
    const bool quote = field.contains(u',') || field.contains(u'"') ||
                       (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!quote) return field;
    field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

QString csvRow(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) quoted.append(csvField(f));
    return quoted.join(u',') + QStringLiteral("\r\n");
}

}  // namespace

QByteArray ownQuestionFileBytes(const QList<OwnHeading>& headings) {
    QString text = csvRow({column::kHeading, column::kBefore, column::kAsked, column::kAfter,
                           column::kAnswer, column::kFont});
    for (const OwnHeading& h : headings) {
        const QString font = h.font == kTeacherFileFont ? QString() : h.font;
        if (h.items.isEmpty()) text += csvRow({h.name, {}, {}, {}, {}, font});
        for (const OwnItem& item : h.items)
            text += csvRow({h.name, item.before, item.asked, item.after, item.answer, font});
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

namespace {

// A field with the teacher's readings of its words marked again, as the file gave them
// (｜漢字《かんじ》), so that a file read and saved keeps them.
QString marked(QString text, const QList<MarkedReading>& readings, int item,
               MarkedReading::Field field) {
    QList<MarkedReading> here;
    for (const MarkedReading& r : readings) {
        if (r.item == item && r.field == field && r.start >= 0 && r.length > 0 &&
            r.start + r.length <= text.size())
            here.append(r);
    }
    std::sort(here.begin(), here.end(),
              [](const MarkedReading& a, const MarkedReading& b) { return a.start > b.start; });
    for (const MarkedReading& r : here) {
        text.insert(r.start + r.length, QStringLiteral("《") + r.reading + QStringLiteral("》"));
        text.insert(r.start, QStringLiteral("｜"));
    }
    return text;
}

}  // namespace

OwnHeading ownHeadingFromRecord(const QuestionTable& table, int record) {
    OwnHeading h;
    h.name = table.at(record, slot::kHeading);
    h.font = table.at(record, slot::kFontName);
    if (h.font == kTeacherFileFont) h.font.clear();
    const QList<MarkedReading> readings = readingsOfSlot(table.at(record, slot::kReadings));
    using F = MarkedReading::Field;
    for (int i = 0; i < kItemsPerHeading; ++i) {
        OwnItem item{marked(table.at(record, slot::beforeText(i)), readings, i, F::Before),
                     marked(table.at(record, slot::askedText(i)), readings, i, F::Asked),
                     marked(table.at(record, slot::afterText(i)), readings, i, F::After),
                     marked(table.at(record, slot::answer(i)), readings, i, F::Answer)};
        if (!(item.before + item.asked + item.after + item.answer).isEmpty()) h.items.append(item);
    }
    return h;
}

QList<OwnHeading> ownHeadingsFromTable(const QuestionTable& table, int count) {
    QList<OwnHeading> headings;
    for (int r = 0; r < count && r < QuestionTable::kRecords; ++r)
        headings.append(ownHeadingFromRecord(table, r));
    return headings;
}

namespace {

using PasteRefusal = PastedQuestions::Refusal;

struct Reader {
    PastedQuestions& out;
    const QString& untitled;

    void add(const QString& heading, const QString& font, const OwnItem& item, bool given,
             int line) {
        if (out.headings.isEmpty() || (!heading.isNull() && out.headings.last().name != heading)) {
            out.headings.append({heading.isNull() ? untitled : heading, font, {}});
            out.answerGiven.append(QList<bool>());
            out.lines.append(QList<int>());
        }
        out.headings.last().items.append(item);
        out.answerGiven.last().append(given);
        out.lines.last().append(line);
    }
    void startHeading(const QString& name) {
        out.headings.append({name, {}, {}});
        out.answerGiven.append(QList<bool>());
        out.lines.append(QList<int>());
    }
    bool refuse(PasteRefusal why, int line) {
        out = PastedQuestions{};
        out.refusal = why;
        out.refusedLine = line;
        return false;
    }

    // 前の文[問題の部分|答え]後の文
    bool notation(const QString& line, int number) {
        static const QString opens = QStringLiteral("[［");
        static const QString closes = QStringLiteral("]］");
        static const QString bars = QStringLiteral("|｜");
        qsizetype open = -1;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (opens.contains(line[i])) {
                if (open >= 0) return refuse(PasteRefusal::TwoAskedParts, number);
                open = i;
            }
        }
        if (open < 0) return refuse(PasteRefusal::NoAskedPart, number);
        qsizetype close = -1;
        for (qsizetype i = open + 1; i < line.size(); ++i) {
            if (closes.contains(line[i])) {
                close = i;
                break;
            }
        }
        if (close < 0) return refuse(PasteRefusal::UnclosedBracket, number);
        for (qsizetype i = close + 1; i < line.size(); ++i) {
            if (closes.contains(line[i])) return refuse(PasteRefusal::TwoAskedParts, number);
        }
        QString inside = line.mid(open + 1, close - open - 1);
        QString answer;
        bool given = false;
        for (qsizetype i = 0; i < inside.size(); ++i) {
            if (bars.contains(inside[i])) {
                answer = inside.mid(i + 1).trimmed();
                inside = inside.left(i);
                given = true;
                break;
            }
        }
        if (inside.trimmed().isEmpty()) return refuse(PasteRefusal::NoAskedPart, number);
        add(QString(), QString(), {line.left(open), inside.trimmed(), line.mid(close + 1), answer},
            given, number);
        return true;
    }
};

}  // namespace

PastedQuestions parsePastedQuestions(const QString& text, const QString& untitled) {
    PastedQuestions out;
    Reader reader{out, untitled};
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = normal.split(u'\n');
    const bool table = normal.contains(u'\t');
    // Columns of pasted rows: 見出し 前の文 問題の部分 後の文 答え 字体, unless a header says.
    int heading = 0, before = 1, asked = 2, after = 3, answer = 4, font = 5;
    for (int n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.trimmed().isEmpty()) continue;
        if (table) {
            const QStringList f = line.split(u'\t');
            if (f.contains(column::kBefore) && f.contains(column::kAsked)) {
                heading = int(f.indexOf(column::kHeading));
                before = int(f.indexOf(column::kBefore));
                asked = int(f.indexOf(column::kAsked));
                after = int(f.indexOf(column::kAfter));
                answer = int(f.indexOf(column::kAnswer));
                font = int(f.indexOf(column::kFont));
                continue;
            }
            if (asked < 0 || asked >= f.size()) {
                reader.refuse(PasteRefusal::ColumnCount, n + 1);
                return out;
            }
            auto field = [&f](int at) { return at >= 0 && at < f.size() ? f[at] : QString(); };
            const QString name = field(heading).trimmed();
            if (field(asked).trimmed().isEmpty()) {
                reader.refuse(PasteRefusal::NoAskedPart, n + 1);
                return out;
            }
            const QString previous = out.headings.isEmpty() ? untitled : out.headings.last().name;
            reader.add(
                name.isEmpty() ? previous : name, field(font).trimmed(),
                {field(before), field(asked).trimmed(), field(after), field(answer).trimmed()},
                !field(answer).trimmed().isEmpty(), n + 1);
            continue;
        }
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'#') || trimmed.startsWith(u'＃')) {
            reader.startHeading(trimmed.mid(1).trimmed().isEmpty() ? untitled
                                                                   : trimmed.mid(1).trimmed());
            continue;
        }
        if (!reader.notation(trimmed, n + 1)) return out;
    }
    // A heading holds ten items; the eleventh on continue in "見出し (2)", as a file reads them.
    PastedQuestions split;
    for (qsizetype h = 0; h < out.headings.size(); ++h) {
        const OwnHeading& whole = out.headings[h];
        const qsizetype parts =
            std::max<qsizetype>(1, (whole.items.size() + kItemsPerHeading - 1) / kItemsPerHeading);
        for (qsizetype part = 0; part < parts; ++part) {
            const qsizetype from = part * kItemsPerHeading;
            split.headings.append(
                {part == 0 ? whole.name : QStringLiteral("%1 (%2)").arg(whole.name).arg(part + 1),
                 whole.font, whole.items.mid(from, kItemsPerHeading)});
            split.answerGiven.append(out.answerGiven[h].mid(from, kItemsPerHeading));
            split.lines.append(out.lines[h].mid(from, kItemsPerHeading));
        }
    }
    return split;
}

}  // namespace pobelo
