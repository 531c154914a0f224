#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "cp932decoder.h"

namespace pobelo::test {

// One question record: heading, the unused field, ten items of before, answer, asked, after,
// and the font name. Items not given are empty.
struct Item {
    QString before, answer, asked, after;
};

inline QStringList record(const QString& heading, const QList<Item>& items,
                          const QString& fontName = QStringLiteral("ＭＳ 明朝")) {
    QStringList fields{heading, QStringLiteral("0")};
    for (int i = 0; i < 10; ++i) {
        const Item item = i < items.size() ? items[i] : Item{};
        fields << item.before << item.answer << item.asked << item.after;
    }
    fields << fontName;
    return fields;
}

// A record whose items are all derived from its number n, so that any slot can be checked.
inline QStringList numberedRecord(int n, const QString& fontName = QStringLiteral("ＭＳ 明朝")) {
    QList<Item> items;
    for (int i = 0; i < 10; ++i) {
        items.append(Item{QStringLiteral("前%1の%2").arg(n).arg(i),
                          QStringLiteral("こたえ%1").arg(i), QStringLiteral("漢字%1").arg(i),
                          QStringLiteral("後%1。").arg(i)});
    }
    return record(QStringLiteral("見出し%1").arg(n), items, fontName);
}

// text in code page 932, as a Windows program writes it (the first code of a character that has
// several). The table of the reader's own decoder, read backwards: the same on every system.
inline QByteArray cp932Bytes(const QString& text) {
    static const QHash<char16_t, QByteArray> codes = [] {
        QHash<char16_t, QByteArray> out;
        auto add = [&out](QByteArray bytes) {
            Cp932TableDecoder decoder;
            QString s;
            decoder.decode(bytes, s);
            if (s.size() == 1 && s[0] != QChar(0xFFFD) && !out.contains(s[0].unicode()))
                out.insert(s[0].unicode(), bytes);
        };
        for (int b = 0; b < 256; ++b) {
            if (!isCp932LeadByte(uchar(b))) add(QByteArray(1, char(b)));
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932LeadByte(uchar(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                add(QByteArray(1, char(lead)) + char(trail));
        }
        return out;
    }();
    QByteArray out;
    for (const QChar c : text) out += codes.value(c.unicode(), QByteArrayLiteral("?"));
    return out;
}

// The records as a Windows program writes them: quoted fields, CR LF, code page 932.
inline QByteArray mojBytes(const QList<QStringList>& records) {
    QString text;
    for (const QStringList& fields : records) {
        QStringList quoted;
        for (const QString& f : fields) quoted << QLatin1Char('"') + f + QLatin1Char('"');
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return cp932Bytes(text);
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A teacher's own question file: the header, then one row an item (見出し, 前の文, 問題の部分,
// 後の文, 答え, 字体), as Excel saves 「CSV UTF-8」: a byte-order mark, CR LF, and a field quoted
// only where it holds a comma, a quote or a line end.
inline QByteArray teacherCsvBytes(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row :
         QList<QStringList>{{"見出し", "前の文", "問題の部分", "後の文", "答え", "字体"}} + rows) {
        QStringList fields;
        for (QString f : row) {
            if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) ||
                f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r')))
                f = QLatin1Char('"') + f.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                    QLatin1Char('"');
            fields << f;
        }
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

// The rows of a heading's items in a teacher's file; the face is named on the first row only.
inline QList<QStringList> teacherRows(const QString& heading, const QList<Item>& items,
                                      const QString& fontName = QString()) {
    QList<QStringList> rows;
    for (const Item& item : items)
        rows << QStringList{heading,    item.before, item.asked,
                            item.after, item.answer, rows.isEmpty() ? fontName : QString()};
    return rows;
}

// Three numbered records, the second in a vertical-writing face, as the window tests open them.
inline QByteArray threeRecordsBytes() {
    QList<QStringList> three;
    for (int n = 0; n < 3; ++n) three << numberedRecord(n);
    three[1].last() = QStringLiteral("@ＭＳ 明朝");
    return mojBytes(three);
}

}  // namespace pobelo::test
