// Which characters of a sentence get which ruby, worked by hand from the 学年別漢字配当表 and the
// dictionary's readings, the rules that never give ruby, and a sheet composed with ruby.
#include <QtTest>

#include "mecabanalyser.h"
#include "sheet.h"
#include "sheetruby.h"
#include "textruns.h"

using namespace pobelo;

namespace {

// "学:がっ|校:こう": each ruby's base characters and its reading.
QString shown(const SentenceRuby& ruby, const QString& sentence) {
    const QStringList cells = textCells(sentence);
    QStringList parts;
    for (const RubyText& r : ruby)
        parts << cells.mid(r.first, r.count).join(QString()) + u':' + r.reading;
    return parts.join(u'|');
}

}  // namespace

class SheetRubyTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY2(reading::sharedAnalyser().available(), "the IPADIC dictionary is not installed");
    }

    void settings() {
        for (int s = int(RubySetting::None); s <= int(RubySetting::All); ++s)
            QCOMPARE(rubyNamed(rubyName(RubySetting(s))), RubySetting(s));
        QCOMPARE(rubyName(RubySetting::Grade3), QStringLiteral("3"));
        QCOMPARE(rubyNamed(u"ALL"), RubySetting::All);
        QCOMPARE(rubyNamed(u"7"), std::nullopt);
        QCOMPARE(rubyNamed(u""), std::nullopt);
        QCOMPARE(rubyCaption(RubySetting::None), QStringLiteral("ふりがな なし"));
        QCOMPARE(rubyCaption(RubySetting::Grade2), QStringLiteral("2年生までに習わない漢字に"));
        QCOMPARE(rubyCaption(RubySetting::All), QStringLiteral("すべての漢字に"));
        // 校 is taught in grade 1, 駅 in 3, 承 in 6; 鬱 is no kanji of school.
        QVERIFY(!kanjiGetsRuby(RubySetting::Grade1, U'校'));
        QVERIFY(kanjiGetsRuby(RubySetting::Grade2, U'駅'));
        QVERIFY(!kanjiGetsRuby(RubySetting::Grade3, U'駅'));
        QVERIFY(kanjiGetsRuby(RubySetting::Grade5, U'承'));
        QVERIFY(kanjiGetsRuby(RubySetting::Grade6, U'鬱'));
        QVERIFY(!kanjiGetsRuby(RubySetting::None, U'鬱'));
        QVERIFY(kanjiGetsRuby(RubySetting::All, U'一'));
    }

    void sentences_data() {
        QTest::addColumn<QString>("before");  // with the teacher's marks, as their file has them
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("readAsked");
        QTest::addColumn<QString>("ruby");
        const auto row = [](const char* name, const char* b, const char* a, const char* f,
                            const char* setting, const char* ruby, QStringList read = {}) {
            QTest::newRow(name) << QString::fromUtf8(b) << QString::fromUtf8(a)
                                << QString::fromUtf8(f) << setting << read
                                << QString::fromUtf8(ruby);
        };
        // 毎 朝 歩 行 are taught in grade 2; the asked 学校 never gets ruby.
        row("grade 1", "毎朝", "学校", "へ歩いて行く。", "1", "毎:まい|朝:あさ|歩:ある|行:い");
        row("grade 2", "毎朝", "学校", "へ歩いて行く。", "2", "");
        row("all but the asked part", "毎朝", "学校", "へ歩いて行く。", "all",
            "毎:まい|朝:あさ|歩:ある|行:い");
        row("none", "毎朝", "学校", "へ歩いて行く。", "none", "");
        // 今日 reads as a group (今 grade 2); 駅 (grade 3) past grade 2 alone; 出 is grade 1.
        row("group and mono, grade 1", "今日は東京駅から", "友", "だちと出かける。", "1",
            "今日:きょう|東:とう|京:きょう|駅:えき");
        row("grade 2: a later kanji alone", "今日は東京駅から", "友", "だちと出かける。", "2",
            "駅:えき");
        row("a group where any of its kanji is later", "大人", "が", "話す。", "all",
            "大人:おとな|話:はな");
        row("々 as the kanji it repeats", "人々", "が", "集まる。", "2", "集:あつ");
        row("a word another item asks to be read", "学校の", "本", "と図書館。", "all",
            "学:がっ|校:こう|館:かん", {QStringLiteral("図書")});
        row("asked part within a group", "", "今", "日は晴れ。", "all", "晴:は");
        row("a teacher's group reading", "｜百舌鳥《もず》が", "鳴", "く。", "2", "百舌鳥:もず");
        row("a teacher's reading that splits", "｜日本《にっぽん》の", "山", "。", "all",
            "日:にっ|本:ぽん");
        row("a teacher's reading that does not split", "｜学校《がっこ》へ", "行", "く。", "all",
            "学校:がっこ");
        row("a teacher's empty reading", "｜今日《》は", "晴", "れ。", "all", "");
        row("a teacher's reading, but its kanji are learned", "｜学校《まなびや》で", "遊", "ぶ。",
            "2", "");
    }
    void sentences() {
        QFETCH(QString, before);
        QFETCH(QString, asked);
        QFETCH(QString, after);
        QFETCH(QString, setting);
        QFETCH(QStringList, readAsked);
        RubySentence s;
        s.before = takeReadingMarks(before, 0, MarkedReading::Before, &s.teacher);
        s.asked = asked;
        s.after = after;
        s.readAsked = readAsked;
        const SentenceRuby ruby = sentenceRuby(reading::sharedAnalyser(), s, *rubyNamed(setting));
        QTEST(shown(ruby, s.before + asked + after), "ruby");
    }

    // A composed sheet: ruby on the sentences only, none where the sheet asks for none; a word
    // asked on the page gets none in another item; a flipped page asks with kana.
    void composed() {
        QuestionTable table;
        const auto item = [&](int i, const char* b, const char* answer, const char* a,
                              const char* f) {
            table.set(0, slot::beforeText(i), QString::fromUtf8(b));
            table.set(0, slot::answer(i), QString::fromUtf8(answer));
            table.set(0, slot::askedText(i), QString::fromUtf8(a));
            table.set(0, slot::afterText(i), QString::fromUtf8(f));
        };
        table.set(0, slot::kHeading, QStringLiteral("読み"));
        table.set(0, slot::kFontName, QStringLiteral("@IPAexMincho"));
        item(0, "", "がっこう", "学校", "へ行く。");
        item(1, "先生と", "はな", "話", "す学校の門。");
        Sheet sheet = Sheet::blank();
        sheet.composeHeading(0, 0, table);
        QVERIFY(!composeSheet(sheet, table).hasRuby());
        sheet.ruby = RubySetting::All;
        const SheetContent content = composeSheet(sheet, table);
        QCOMPARE(shown(content.right.ruby[0], content.right.sentences[0]), QStringLiteral("行:い"));
        QCOMPARE(shown(content.right.ruby[1], content.right.sentences[1]),
                 QStringLiteral("先:せん|生:せい|門:もん"));
        QVERIFY(content.left.ruby[0].isEmpty());
        // Flipped, the page asks for the kanji: 学校 may be read in the other sentence.
        sheet.pages[0].variant.flipped = true;
        const SheetContent flipped = composeSheet(sheet, table);
        QCOMPARE(shown(flipped.right.ruby[1], flipped.right.sentences[1]),
                 QStringLiteral("先:せん|生:せい|学:がっ|校:こう|門:もん"));
    }
};

QTEST_GUILESS_MAIN(SheetRubyTest)
#include "test_sheetruby.moc"
