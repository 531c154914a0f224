#pragma once

#include <QByteArray>
#include <QString>

#include "mojfile.h"

namespace pobelo::bench {

// Question records as a Windows program writes them, with sentences of a realistic length:
// record n has heading "第n回 漢字の書き取り", ten items and a font name.
inline QByteArray questionFile(int records, const QString& fontName = QStringLiteral("ＭＳ 明朝")) {
    QList<QStringList> all;
    for (int n = 0; n < records; ++n) {
        QList<test::Item> items;
        for (int i = 0; i < 10; ++i) {
            items.append(test::Item{QStringLiteral("朝早く起きて%1番目の").arg(i + 1),
                                    QStringLiteral("がっこう"), QStringLiteral("学校"),
                                    QStringLiteral("へ行きました。")});
        }
        all.append(
            test::record(QStringLiteral("第%1回 漢字の書き取り").arg(n + 1), items, fontName));
    }
    return test::mojBytes(all);
}

}  // namespace pobelo::bench
