// The sheet as a value: what composeSheet draws of each kind of page, how headings title their
// pages, the answer key, and the paper in a set file.

#include <QtTest>

#include "sheet.h"
#include "sheetset.h"

using namespace pobelo;

namespace {

// Record r, item i: "前ri" before "問ri", answered "答ri", then "後ri" (ri as two digits).
std::unique_ptr<QuestionTable> table() {
    auto t = std::make_unique<QuestionTable>();
    for (int r = 0; r < 3; ++r) {
        t->set(r, slot::kHeading, QStringLiteral("見出し%1").arg(r + 1));
        t->set(r, slot::kFontName, QStringLiteral("@字体%1").arg(r + 1));
        for (int i = 0; i < 10; ++i) {
            const QString ri = QStringLiteral("%1%2").arg(r).arg(i);
            t->set(r, slot::beforeText(i), QStringLiteral("前") + ri);
            t->set(r, slot::askedText(i), QStringLiteral("問") + ri);
            t->set(r, slot::answer(i), QStringLiteral("答") + ri);
            t->set(r, slot::afterText(i), QStringLiteral("後") + ri);
        }
    }
    return t;
}

}  // namespace

class SheetTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QuestionTable> table_ = table();

  private slots:
    // Each kind of page, flipped or not, in its own order or another: rows 0 and 1 as printed.
    void composePage_data() {
        QTest::addColumn<int>("kind");  // 0 heading 2, 1 review of 3:4 and 1:2, 2 emptied page
        QTest::addColumn<bool>("flip");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QStringList>("row0");  // sentence, asked part, answer, before-length
        QTest::addColumn<QStringList>("row1");
        QTest::addColumn<QString>("mark");
        QTest::newRow("heading") << 0 << false << 0u
                                 << QStringList{"前10問10後10", "問10", "答10", "3"}
                                 << QStringList{"前11問11後11", "問11", "答11", "3"} << "";
        QTest::newRow("heading flipped")
            << 0 << true << 0u << QStringList{"前10答10後10", "答10", "問10", "3"}
            << QStringList{"前11答11後11", "答11", "問11", "3"} << "";
        // Seed 2 orders the left page's ten items 3, 4, 5, 9 …
        QTest::newRow("heading seed 2")
            << 0 << false << 2u << QStringList{"前12問12後12", "問12", "答12", "3"}
            << QStringList{"前13問13後13", "問13", "答13", "3"} << "並べ替え C";
        QTest::newRow("review flipped")
            << 1 << true << 0u << QStringList{"前23答23後23", "答23", "問23", "3"}
            << QStringList{"前01答01後01", "答01", "問01", "3"} << "";
        // An emptied page prints no sentence and no mark; the answers it held, in the order it
        // printed them, stay behind its rows.
        QTest::newRow("emptied") << 2 << false << 2u << QStringList{"", "", "答12", "3"}
                                 << QStringList{"", "", "答13", "3"} << "";
    }
    void composePage() {
        QFETCH(int, kind);
        QFETCH(bool, flip);
        QFETCH(quint32, seed);
        QFETCH(QStringList, row0);
        QFETCH(QStringList, row1);
        QFETCH(QString, mark);
        Sheet sheet = Sheet::blank();
        SheetPage& page = sheet.pages[1];
        page.variant.flipped = flip;
        page.variant.seed = seed;
        page.answers = 1;
        if (kind == 1) {
            QVERIFY(sheet.composeReview(1, {{2, 3}, {0, 1}, {2, 3}}, *table_));
        } else {
            sheet.composeHeading(1, 1, *table_);
        }
        if (kind == 2) page.empty(composeSheet(sheet, *table_).left);
        const PageContent left = composeSheet(sheet, *table_).left;
        for (const auto& [row, expected] : {std::pair{0, row0}, std::pair{1, row1}}) {
            QCOMPARE(left.sentences[row], expected[0]);
            QCOMPARE(left.askedParts[row], expected[1]);
            QCOMPARE(left.answers[row], expected[2]);
            QCOMPARE(left.beforeLengths[row], qint16(expected[3].toInt()));
        }
        QCOMPARE(left.mark, mark);
        QCOMPARE(left.check, 1);
        // The review took each item once: its third row stays empty.
        if (kind == 1) QCOMPARE(left.sentences[2], QString());
        QCOMPARE(composeSheet(sheet, *table_).right.sentences[0], QString());
    }

    // Headings number the title box's text for their page; an empty box becomes 小テスト, and the
    // sheet prints in the face of the heading composed last.
    void titlesAndFace() {
        Sheet sheet = Sheet::blank();
        QCOMPARE(sheet.fontName, QStringLiteral("Font"));
        sheet.composeHeading(0, 2, *table_);
        sheet.composeHeading(1, 0, *table_);
        QCOMPARE(sheet.pages[0].title, QStringLiteral("小テスト 3"));
        QCOMPARE(sheet.pages[1].title, QStringLiteral("小テスト 1"));
        QCOMPARE(sheet.fontName, QStringLiteral("@字体1"));
        QVERIFY(sheet.setTitleText(QStringLiteral("第2回")));
        QVERIFY(!sheet.setTitleText(QStringLiteral("第2回")));
        sheet.composeReview(0, {{1, 0}, {2, 5}}, *table_);
        QCOMPARE(sheet.pages[0].title, QStringLiteral("第2回 2〜3"));
        QCOMPARE(sheet.pages[1].title, QStringLiteral("第2回"));
        QCOMPARE(sheet.fontName, QStringLiteral("@字体2"));
        QCOMPARE(documentInfo(sheet, *table_).subject,
                 QStringLiteral("見出し2 / 見出し3 / 見出し1"));
    }

    // The key answers every page that holds questions, or answers behind emptied rows; a page
    // with nothing to answer prints as on the sheet.
    void key() {
        Sheet sheet = Sheet::blank();
        sheet.composeHeading(0, 0, *table_);
        QCOMPARE(sheet.withAllAnswers().pages[0].answers, 1);
        QCOMPARE(sheet.withAllAnswers().pages[1].answers, 0);
        sheet.composeHeading(1, 1, *table_);
        sheet.pages[1].empty(composeSheet(sheet, *table_).left);
        QCOMPARE(sheet.withAllAnswers().pages[1].answers, 1);
        QCOMPARE(sheet.pages[1].answers, 0);
    }

    // Paper other than A4 and ruby are kept in the set; an A4 set without ruby is written as
    // before, without them.
    void paperInTheSetFile() {
        Sheet sheet = Sheet::blank();
        sheet.questionFile = QStringLiteral("/tmp/q.moj");
        const QByteArray plain = sheetSetJson(sheet, QStringLiteral("/tmp"), *table_);
        QVERIFY(!plain.contains("paper"));
        QVERIFY(!plain.contains("ruby"));
        sheet.paper = Paper::B4;
        sheet.ruby = RubySetting::Grade4;
        SetProblem why;
        const std::optional<Sheet> read =
            readSheetSetJson(sheetSetJson(sheet, QStringLiteral("/tmp"), *table_), &why);
        QVERIFY2(read, qPrintable(text::setProblem(why)));
        QCOMPARE(read->paper, Paper::B4);
        QCOMPARE(read->ruby, RubySetting::Grade4);
        QVERIFY(!readSheetSetJson(R"({"format":"pobelo-set","version":1,"questionFile":"q.moj",
                                      "ruby":"7"})",
                                  &why));
        QCOMPARE(why.kind, SetProblem::NotOneOf);
        QCOMPARE(why.key, QStringLiteral("ruby"));
        QCOMPARE(read->questionFile, QStringLiteral("q.moj"));
        QVERIFY(!readSheetSetJson(R"({"format":"pobelo-set","version":1,"questionFile":"q.moj",
                                      "paper":"B5"})",
                                  &why));
    }
};

QTEST_GUILESS_MAIN(SheetTest)
#include "test_sheet.moc"
