// The model's state as one JSON line, for scripts and tests.
#include "sheetdump.h"

#include "recordingsurface.h"

namespace pobelo {

namespace {

QString jsonBool(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString jsonStrings(const QStringList& list) {
    QStringList items;
    for (const QString& s : list) items.append(jsonString(s));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <typename Array>
QString jsonStringArray(const Array& array) {
    QStringList items;
    for (const QString& s : array) items.append(jsonString(s));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <typename Array>
QString jsonNumberArray(const Array& array) {
    QStringList items;
    for (auto n : array) items.append(QString::number(n));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

}  // namespace

QString dumpJson(const SheetModel& m) {
    QStringList parts;
    for (int a = 0; a < kLabelArrays; ++a) {
        QStringList elements;
        for (int row = 0; row < kRows; ++row) {
            elements.append(QStringLiteral("{\"caption\":%1,\"enabled\":%2}")
                                .arg(jsonString(m.caption(LabelArray(a), row)),
                                     jsonBool(m.enabled(LabelArray(a), row))));
        }
        parts.append(
            QStringLiteral("\"Label%1\":[%2]").arg(a + 1).arg(elements.join(QLatin1Char(','))));
    }
    parts.append(QStringLiteral("\"Label51\":") + jsonString(m.label51()));
    parts.append(QStringLiteral("\"Label52\":") + jsonString(m.label52()));
    parts.append(QStringLiteral("\"Check1\":%1").arg(m.check1()));
    parts.append(QStringLiteral("\"Check2\":%1").arg(m.check2()));
    for (int n = 1; n <= 6; ++n)
        parts.append(QStringLiteral("\"Image%1\":%2").arg(n).arg(jsonBool(m.imageVisible(n))));
    parts.append(QStringLiteral("\"Command1\":{\"caption\":%1,\"enabled\":%2}")
                     .arg(jsonString(m.command1Caption()), jsonBool(m.command1Enabled())));
    parts.append(QStringLiteral("\"Command2\":{\"caption\":%1,\"enabled\":%2}")
                     .arg(jsonString(m.command2Caption()), jsonBool(m.command2Enabled())));
    parts.append(QStringLiteral("\"prt\":{\"enabled\":%1}").arg(jsonBool(m.prtEnabled())));
    parts.append(QStringLiteral("\"Text3\":") + jsonString(m.text3()));
    parts.append(QStringLiteral("\"Combo1\":{\"list\":%1,\"listIndex\":%2}")
                     .arg(jsonStrings(m.combo1List()))
                     .arg(m.combo1ListIndex()));
    parts.append(QStringLiteral("\"currentRecord\":%1").arg(m.currentRecord()));
    parts.append(QStringLiteral("\"recordCount\":") + traceNumber(m.recordCount()));
    parts.append(QStringLiteral("\"rightBeforeLengths\":") +
                 jsonNumberArray(m.rightBeforeLengths()));
    parts.append(QStringLiteral("\"rightAnswers\":") + jsonStringArray(m.rightAnswers()));
    parts.append(QStringLiteral("\"leftBeforeLengths\":") + jsonNumberArray(m.leftBeforeLengths()));
    parts.append(QStringLiteral("\"leftAnswers\":") + jsonStringArray(m.leftAnswers()));
    parts.append(QStringLiteral("\"messages\":") + jsonStrings(m.messages()));
    parts.append(QStringLiteral("\"browser\":") + jsonStrings(m.browserAddresses()));
    QStringList findings;
    for (const Finding& f : m.findings()) {
        findings.append(QStringLiteral("{\"page\":%1,\"item\":%2,\"what\":%3}")
                            .arg(jsonString(f.page()), jsonString(f.item), jsonString(f.what)));
    }
    parts.append(QStringLiteral("\"findings\":[") + findings.join(QLatin1Char(',')) +
                 QLatin1Char(']'));
    // Each page's variant, its items as printed ("3:2", item 2 of heading 3).
    QStringList pages;
    for (int page = 0; page < 2; ++page) {
        const PageVariant& v = m.variant(page);
        static const char* const kinds[] = {"heading", "review", "retest"};
        QStringList shown;
        QStringList missed;
        for (int row = 0; row < kRows; ++row) {
            const ItemRef ref = m.itemAt(page, row);
            if (ref.isEmpty()) continue;
            const QString name = itemName(ref);
            shown.append(name);
            if (m.missed(page, row)) missed.append(name);
        }
        pages.append(
            QStringLiteral(
                "{\"kind\":\"%1\",\"flip\":%2,\"shuffle\":%3,\"items\":%4,\"missed\":%5}")
                .arg(v.composed() ? QLatin1String(kinds[int(v.source)]) : QLatin1String("none"),
                     jsonBool(v.flipped))
                .arg(v.seed)
                .arg(jsonStrings(shown), jsonStrings(missed)));
    }
    parts.append(QStringLiteral("\"pages\":[") + pages.join(QLatin1Char(',')) + QLatin1Char(']'));
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

}  // namespace pobelo
