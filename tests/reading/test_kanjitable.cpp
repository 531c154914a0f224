// The kanji table compiled into the programs is KANJIDIC2's, where Debian's kanjidic-xml is
// installed: after an update of it this fails until tools/generate-kanji-table is run again.
#include <QFile>
#include <QtTest>

#include "kanjidicreader.h"
#include "kanjitable.h"

class KanjiTableTest : public QObject {
    Q_OBJECT
  private slots:
    void tableIsKanjidics() {
        const QString path = QStringLiteral("/usr/share/edict/kanjidic2.xml.gz");
        if (!QFile::exists(path)) QSKIP("kanjidic-xml is not installed");
        const auto entries = pobelo::reading::readKanjidic(path);
        QCOMPARE(entries.size(), 2136);  // the jōyō kanji of 2010
        QList<int> perGrade(9);
        for (const auto& e : entries) {
            QCOMPARE(pobelo::reading::kanjiGrade(e.kanji), e.grade);
            QCOMPARE(pobelo::reading::kanjiReadings(e.kanji), e.readings);
            ++perGrade[e.grade];
        }
        // The 2020 学年別漢字配当表.
        QCOMPARE(perGrade.mid(1, 6), (QList<int>{80, 160, 200, 202, 193, 191}));
        QCOMPARE(pobelo::reading::kanjiGrade(U'岡'), 4);  // moved to grade 4 in 2020
        QCOMPARE(pobelo::reading::kanjiGrade(U'鬱'), 8);
        QCOMPARE(pobelo::reading::kanjiGrade(U'薔'), 0);
    }
};

QTEST_GUILESS_MAIN(KanjiTableTest)
#include "test_kanjitable.moc"
