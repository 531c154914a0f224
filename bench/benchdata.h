#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

namespace pobelo::bench {

// Question records as a Windows program writes them (quoted fields, CR LF, code page 932), with
// sentences of a realistic length: record n has heading "第n回", ten items and a font name.
inline QByteArray questionFile(int records, const QString& fontName = QStringLiteral("ＭＳ 明朝")) {
    QString text;
    for (int n = 0; n < records; ++n) {
        QStringList fields{QStringLiteral("第%1回 漢字の書き取り").arg(n + 1), QStringLiteral("0")};
        for (int i = 0; i < 10; ++i) {
            fields << QStringLiteral("朝早く起きて%1番目の").arg(i + 1)
                   << QStringLiteral("がっこう") << QStringLiteral("学校")
                   << QStringLiteral("へ行きました。");
        }
        fields << fontName;
        QStringList quoted;
        for (const QString& f : fields) quoted << QLatin1Char('"') + f + QLatin1Char('"');
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QStringEncoder("windows-31j").encode(text);
}

}  // namespace pobelo::bench
