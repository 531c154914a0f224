// Readings found with the dictionary, worked by hand: the asked part's reading in its sentence
// (the answer of a 読み item), and a word's reading laid over its kanji.
#include <QtTest>

#include "mecabanalyser.h"
#include "readings.h"

using namespace pobelo::reading;

class ReadingsTest : public QObject {
    Q_OBJECT

    static QString shown(const QList<ReadingSpan>& spans, const QString& text) {
        QStringList parts;
        for (const ReadingSpan& s : spans) {
            const QString base = text.mid(s.start, s.length);
            parts << (s.kind == ReadingSpan::Kind::Kanji ? base + u':' + s.reading : base);
        }
        return parts.join(u'|');
    }

  private slots:
    void askedReading_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("reading");  // empty: none found
        auto row = [](const char* name, const char* b, const char* a, const char* f,
                      const char* r) {
            QTest::newRow(name) << QString::fromUtf8(b) << QString::fromUtf8(a)
                                << QString::fromUtf8(f) << QString::fromUtf8(r);
        };
        row("whole word", "公園の", "池", "で魚をつる。", "いけ");
        row("compound", "毎朝", "学校", "へ歩いて行く。", "がっこう");
        row("okurigana left out", "", "美", "しい花がさいた。", "うつく");
        row("okurigana cut", "", "美し", "い花がさいた。", "うつくし");
        row("verb stem", "駅まで", "走", "って行った。", "はし");
        row("jukujikun", "", "今日", "は晴れです。", "きょう");
        row("jukujikun cut", "", "今", "日は晴れです。", "");
        row("one of a compound", "", "学", "校に行く。", "がっ");
        row("number with counter", "", "三日", "後に会おう。", "みっか");
        row("digits with counter", "友達と", "3人", "で遊んだ。", "さんにん");
        row("two people", "", "二人", "で話す。", "ふたり");
        row("sound change", "えんぴつを", "三本", "買った。", "さんぼん");
        row("small tsu", "", "一本", "の木。", "いっぽん");
        row("kana asked", "花が", "さいた", "。", "さいた");
        row("unknown name", "", "薔", "薇", "");
    }
    void askedReading() {
        QFETCH(QString, before);
        QFETCH(QString, asked);
        QFETCH(QString, after);
        QFETCH(QString, reading);
        const Analyser& analyser = sharedAnalyser();
        QVERIFY2(analyser.available(), "the IPADIC dictionary is not installed");
        const SuggestedReading found =
            pobelo::reading::askedReading(analyser, before, asked, after);
        QCOMPARE(found.text, reading);
        QCOMPARE(found.found, !reading.isEmpty());
    }

    void alignWord_data() {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("spans");
        auto row = [](const char* s, const char* r, const char* spans) {
            QTest::newRow(s) << QString::fromUtf8(s) << QString::fromUtf8(r)
                             << QString::fromUtf8(spans);
        };
        row("学校", "がっこう", "学:がっ|校:こう");
        row("人々", "ひとびと", "人:ひと|々:びと");
        row("今日", "きょう", "今日:きょう");
        row("大人", "おとな", "大人:おとな");
        row("美しい", "うつくしい", "美:うつく|しい");
        row("お正月", "おしょうがつ", "お|正:しょう|月:がつ");
        row("田んぼ", "たんぼ", "田:た|んぼ");
        row("見上げる", "みあげる", "見:み|上:あ|げる");
        row("行く", "いった", "");  // a reading that does not fit the word
    }
    void alignWord() {
        QFETCH(QString, surface);
        QFETCH(QString, reading);
        QFETCH(QString, spans);
        QCOMPARE(shown(pobelo::reading::alignWord(surface, reading), surface), spans);
    }

    void missingDictionary() {
        // A broken install: no readings, and nothing else fails.
        const MecabAnalyser analyser(QStringLiteral("/nonexistent/ipadic"));
        QVERIFY(!analyser.available());
        QVERIFY(!analyser.error().isEmpty());
        QVERIFY(analyser.analyse(QStringLiteral("池")).isEmpty());
        QVERIFY(!pobelo::reading::askedReading(analyser, {}, QStringLiteral("池"), {}).found);
    }
};

QTEST_GUILESS_MAIN(ReadingsTest)
#include "test_readings.moc"
