#include <QtTest>
#include <functional>

#include "pagecontent.h"
#include "preflight.h"
#include "recordingsurface.h"
#include "textruns.h"

using namespace pobelo;
using namespace pobelo::test;

Q_DECLARE_METATYPE(std::function<void(pobelo::SheetContent&)>)

namespace {

using Change = std::function<void(SheetContent&)>;

const QString kUpright = QStringLiteral("ＭＳ 明朝");
const QString kVertical = QStringLiteral("@ＭＳ 明朝");

// Both pages full of short items, titled "小テスト 1" and "小テスト 2".
SheetContent cleanSheet(const QString& font) {
    SheetContent sheet;
    sheet.fontName = font;
    sheet.right.title = QStringLiteral("小テスト 1");
    sheet.left.title = QStringLiteral("小テスト 2");
    for (int i = 0; i < 10; ++i) {
        setItem(sheet.right, i, "きのう", "公園", "であそんだ。", "こうえん");
        setItem(sheet.left, i, "あさ", "学校", "へいく。", "がっこう");
    }
    return sheet;
}

// The characters of threeEms three ems wide, those of twoEms two, every other one em; those of
// unshown shown by no face.
class WideMeasurer : public TextMeasurer {
  public:
    WideMeasurer(const QString& threeEms, const QString& twoEms, const QString& unshown)
        : threeEms_(threeEms), twoEms_(twoEms), unshown_(unshown.toUcs4()) {}
    float advance(const QString&, float points, bool, bool, const QString& text) override {
        const int ems = threeEms_.contains(text) ? 3 : twoEms_.contains(text) ? 2 : 1;
        return points * 20 * ems * cellCount(text);
    }
    bool canShow(const QString&, bool, bool, char32_t c) override { return !unshown_.contains(c); }

  private:
    QString threeEms_, twoEms_;
    QList<uint> unshown_;
};

QStringList lines(const QList<Finding>& findings) {
    QStringList out;
    for (const Finding& f : findings) out << f.line();
    return out;
}

const QString k46 =
    QStringLiteral("むかしむかしあるところにおじいさんとおばあさんがすんでいました山");

}  // namespace

class PreflightTest : public QObject {
    Q_OBJECT

    // Each limit a text runs along to, from both sides: the longest text that stays inside it and
    // one character more, on both pages. The lengths are worked out by hand: a vertical sheet's
    // characters stand 300 twips apart from X 300 (its answers from 5528 and 8292, its titles
    // 500 apart from 230 and 250, the name field at 5130, the paper 11906 wide); an upright
    // sheet's run down from Y 200 (answers from 5700 and 8450, titles from 500), into the
    // answers at 5500, the frames' bottom at 11000 and the paper's at 11906.
    static void addLimitRows() {
        struct Limit {
            bool vertical;
            const char* what;
            int item;          // -1 for the title
            bool answer;       // the item's answer rather than its sentence
            int fits;          // characters that stay inside
            const char* at;    // what so many do, if they cross an earlier limit
            const char* past;  // what one more does
        };
        const Limit limits[] = {
            {true, "sentence, answers", 3, false, 16, "", "④ の文が解答欄にかかります（1字）"},
            {true, "sentence, paper", 3, false, 37, "④ の文が解答欄にかかります（21字）",
             "④ の文が用紙の下にはみ出します（1字）"},
            {true, "upper answer, lower row", 1, true, 8, "",
             "② の解答が下の段にかかります（1字）"},
            {true, "lower answer, paper", 5, true, 11, "",
             "⑥ の解答が用紙の下にはみ出します（1字）"},
            {true, "title, name field", -1, false, 10, "", "表題が「名前」にかかります（1字）"},
            {false, "sentence, answers", 3, false, 16, "", "④ の文が解答欄にかかります（1字）"},
            {false, "sentence, frames", 3, false, 35, "④ の文が解答欄にかかります（19字）",
             "④ の文が枠の下にはみ出します（1字）"},
            {false, "sentence, paper", 3, false, 38, "④ の文が枠の下にはみ出します（3字）",
             "④ の文が用紙の下にはみ出します（1字）"},
            {false, "upper answer, lower row", 1, true, 8, "",
             "② の解答が下の段にかかります（1字）"},
            {false, "lower answer, frames", 6, true, 7, "",
             "⑦ の解答が枠の下にはみ出します（1字）"},
            {false, "lower answer, paper", 6, true, 10, "⑦ の解答が枠の下にはみ出します（3字）",
             "⑦ の解答が用紙の下にはみ出します（1字）"},
            {false, "title, name field", -1, false, 11, "", "表題が「名前」にかかります（1字）"},
        };
        for (const Limit& limit : limits) {
            for (bool right : {true, false}) {
                for (int n : {limit.fits, limit.fits + 1}) {
                    const Change change = [limit, right, n](SheetContent& s) {
                        PageContent& page = right ? s.right : s.left;
                        const QString text = k46.repeated(2).left(n);
                        if (limit.item < 0) {
                            page.title = text;
                        } else if (limit.answer) {
                            page.check = 1;
                            page.answers[limit.item] = text;
                        } else {
                            setItem(page, limit.item, text.chopped(1), text.right(1), "", "");
                        }
                    };
                    const char* finding = n > limit.fits ? limit.past : limit.at;
                    QStringList expected;
                    if (*finding)
                        expected << (right ? "右" : "左") + QStringLiteral("ページ　") +
                                        QString::fromUtf8(finding);
                    QTest::addRow("%s: %s, %s page, %d characters",
                                  limit.vertical ? "vertical" : "upright", limit.what,
                                  right ? "right" : "left", n)
                        << (limit.vertical ? kVertical : kUpright) << change << QStringList{}
                        << expected;
                }
            }
        }
    }

  private slots:
    void findings_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("wide");  // characters three ems wide, and two
        QTest::addColumn<QStringList>("expected");
        const Change none = [](SheetContent&) {};

        QTest::newRow("clean, upright") << kUpright << none << QStringList{} << QStringList{};
        QTest::newRow("clean, vertical") << kVertical << none << QStringList{} << QStringList{};
        QTest::newRow("clean with answers")
            << kVertical << Change([](SheetContent& s) { s.right.check = s.left.check = 1; })
            << QStringList{} << QStringList{};
        // 46 characters behind "③": 8 of them below the paper's edge.
        QTest::newRow("46-character sentence, upright") << kUpright << Change([](SheetContent& s) {
            setItem(s.right, 2, k46, "芝刈", "にいきましたよ。ほんとう", "しばかり");
            QCOMPARE(s.right.sentences[2].size(), 46);
        }) << QStringList{} << QStringList{"右ページ　③ の文が用紙の下にはみ出します（8字）"};
        QTest::newRow("sentence past the frame, upright")
            << kUpright
            << Change([](SheetContent& s) { setItem(s.left, 9, k46 + "あいう", "山", "", "やま"); })
            << QStringList{} << QStringList{"左ページ　⑩ の文が枠の下にはみ出します（1字）"};
        QTest::newRow("sentence into the answers, vertical")
            << kVertical
            << Change([](SheetContent& s) { setItem(s.left, 4, k46.left(18), "山", "", "やま"); })
            << QStringList{} << QStringList{"左ページ　⑤ の文が解答欄にかかります（3字）"};
        QTest::newRow("14-character title") << kUpright << Change([](SheetContent& s) {
            s.right.title = QStringLiteral("漢字の読みかた小テスト第一回 1");
        }) << QStringList{} << QStringList{"右ページ　表題が「名前」にかかります（5字）"};
        QTest::newRow("11-character title, vertical") << kVertical << Change([](SheetContent& s) {
            s.left.title = QStringLiteral("漢字小テスト第三回 3");
        }) << QStringList{} << QStringList{"左ページ　表題が「名前」にかかります（1字）"};
        QTest::newRow("long answer, upright") << kUpright << Change([](SheetContent& s) {
            s.right.check = 1;
            s.right.answers[1] = QStringLiteral("ながいながいこたえです");
        }) << QStringList{} << QStringList{"右ページ　② の解答が下の段にかかります（3字）"};
        QTest::newRow("long answer, vertical") << kVertical << Change([](SheetContent& s) {
            s.left.check = 1;
            s.left.answers[0] = QStringLiteral("ながいながいこたえです");
        }) << QStringList{} << QStringList{"左ページ　① の解答が下の段にかかります（3字）"};
        // "き" and "あ" in the third row of every column reach over the next column.
        QStringList overprints;
        for (const QString page : {"右", "左"}) {
            for (int item = 9; item > 0; --item) {
                overprints << QStringLiteral("%1ページ　%2 の文が%3 の文と重なります")
                                  .arg(page, itemNumber(item), itemNumber(item - 1));
            }
        }
        QTest::newRow("columns overprint one another")
            << kUpright << none << QStringList{"きあ"} << overprints;
        // Across its column, the right page's title stands 650 twips short of the paper's edge.
        QTest::newRow("title across to the paper's edge, upright")
            << kUpright << Change([](SheetContent& s) { s.right.title = "中"; })
            << QStringList{"", "中"} << QStringList{};
        QTest::newRow("title across past the paper's edge, upright")
            << kUpright << Change([](SheetContent& s) { s.right.title = "広"; })
            << QStringList{"広"} << QStringList{"右ページ　表題が用紙からはみ出します（1字）"};
        // A character no face shows would print as an empty box: it is named, once a part.
        const QStringList noSushi{"", "", "🍣🪐"};
        QTest::newRow("a character no face shows, in a sentence")
            << kUpright << Change([](SheetContent& s) {
                   setItem(s.right, 2, "きのう", "公園", "で🍣", "こうえん");
               })
            << noSushi
            << QStringList{"右ページ　③ の文の「🍣」（U+1F363）を印刷できる字体がありません"};
        QTest::newRow("two of them, one twice, in a title")
            << kVertical
            << Change([](SheetContent& s) { s.left.title = "小テスト🍣🪐🍣 2"; })
            << noSushi
            << QStringList{
                   "左ページ　表題の「🍣」（U+1F363）、「🪐」（U+1FA90）"
                   "を印刷できる字体がありません"};
        QTest::newRow("and a sentence into the answers")
            << kVertical << Change([](SheetContent& s) {
                   setItem(s.left, 4, "🍣" + k46.left(17), "山", "", "やま");
               })
            << noSushi
            << QStringList{"左ページ　⑤ の文が解答欄にかかります（3字）",
                           "左ページ　⑤ の文の「🍣」（U+1F363）を印刷できる字体がありません"};
        // Marks, selectors, format characters and spaces leave no ink of their own.
        QTest::newRow("no glyph asked for what shows none")
            << kUpright << Change([](SheetContent& s) {
                   setItem(s.right, 0, u"葛\U000E0100\u200B"_qs, u"か\u3099"_qs, "　 ", "");
               })
            << QStringList{"", "", u"\U000E0100\u200B\u3099\u3000 "_qs} << QStringList{};
        addLimitRows();
    }

    void findings() {
        QFETCH(QString, font);
        QFETCH(Change, change);
        QFETCH(QStringList, wide);
        QFETCH(QStringList, expected);
        SheetContent sheet = cleanSheet(font);
        change(sheet);
        WideMeasurer measurer(wide.value(0), wide.value(1), wide.value(2));
        QCOMPARE(lines(preflightSheet(sheet, wide.isEmpty() ? nullptr : &measurer)), expected);
        if (!wide.isEmpty()) return;

        // Fitted, every text stays inside its area, and nothing is left to report but texts too
        // long even at the smallest size.
        const SheetFit fit = fitSheet(sheet, nullptr);
        const QList<Finding> left = preflightSheet(sheet, nullptr, &fit);
        for (const Finding& f : left) {
            const PageFit& page = f.rightPage ? fit.right : fit.left;
            const int item = QStringLiteral("①②③④⑤⑥⑦⑧⑨⑩").indexOf(f.item);
            QVERIFY2(item >= 0 && page.sentences[item].points == kSmallestFitPoints,
                     qPrintable(f.line()));
        }
        if (!left.isEmpty()) return;
        for (const LaidOutCell& cell : layOutCells(sheet, nullptr, &fit)) {
            QVERIFY2(
                cell.area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(cell.rect),
                qPrintable(
                    QStringLiteral("kind %1 item %2").arg(cell.part.kind).arg(cell.part.item)));
        }

        // A sheet that needs no fit prints exactly as without one.
        if (expected.isEmpty()) {
            RecordingSurface plain, fitted;
            drawSheet(sheet, naturalFit(), plain);
            drawSheet(sheet, fit, fitted);
            QCOMPARE(fitted.lines(), plain.lines());
        }
    }

    // A fitted sentence closes up before it gets smaller, and its side line moves with it.
    void fitClosesUpThenShrinks() {
        SheetContent sheet = cleanSheet(kVertical);
        sheet.right.title = QStringLiteral("漢字の読みかた小テスト第一回 1");
        setItem(sheet.right, 0, k46, "芝刈", "にいく", "しばかり");
        const SheetFit fit = fitSheet(sheet, nullptr);
        QVERIFY(fit.right.title.pitch < kTitlePitch && fit.right.title.pitch >= 300);
        QCOMPARE(fit.right.title.points, kSheetFontPoints);
        QVERIFY(fit.right.sentences[0].points < kSheetFontPoints);
        QCOMPARE(fit.right.sentences[1], (TextFit{kSentencePitch, kSheetFontPoints}));

        RecordingSurface surface;
        printWithVerticalFont(sheet, fit, surface);
        const float pitch = fit.right.sentences[0].pitch;
        const QString sideLine =
            QStringLiteral("{\"op\":\"drawLine\",\"x1\":%1,\"y1\":1000,\"x2\":%2,\"y2\":1000,")
                .arg(std::lround(verticalSheet::kSentenceX + (k46.size() + 1) * pitch))
                .arg(std::lround(std::lround(verticalSheet::kSentenceX + (k46.size() + 1) * pitch) +
                                 2 * pitch));
        QVERIFY2(surface.lines().filter(sideLine).size() == 1, qPrintable(sideLine));
    }

    // What does not fit at the smallest size is printed at it, reported, and its side line is
    // as much thinner and, upright, as much closer to its column.
    void fitStopsAtTheSmallestSize_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("sideLine");
        QTest::newRow("vertical") << kVertical << "\"x1\":940,\"y1\":1000,\"x2\":1260,";
        QTest::newRow("upright") << kUpright << "\"x1\":15239.667,\"y1\":840,";
    }
    void fitStopsAtTheSmallestSize() {
        QFETCH(QString, font);
        QFETCH(QString, sideLine);
        SheetContent sheet = cleanSheet(font);
        setItem(sheet.right, 0, QStringLiteral("きのう"), QStringLiteral("公園"),
                k46 + QStringLiteral("あいうえおかきくけこさしすせそたちつてと"),
                QStringLiteral("こうえん"));
        const SheetFit fit = fitSheet(sheet, nullptr);
        QCOMPARE(fit.right.sentences[0], (TextFit{160, kSmallestFitPoints}));
        QCOMPARE(fit.right.sentences[1], (TextFit{kSentencePitch, kSheetFontPoints}));
        const QStringList found = lines(preflightSheet(sheet, nullptr, &fit));
        QCOMPARE(found.size(), 1);
        QVERIFY2(found[0].startsWith(QStringLiteral("右ページ　① の文が")), qPrintable(found[0]));

        RecordingSurface surface;
        drawSheet(sheet, fit, surface);
        const QStringList ops = surface.lines();
        const qsizetype line = ops.indexOf(ops.filter(sideLine).value(0));
        QVERIFY2(line > 0, qPrintable(sideLine));
        QCOMPARE(ops[line - 1], QStringLiteral("{\"op\":\"setLineWidth\",\"width\":8}"));
    }

    void printableArea() {
        const SheetContent sheet = cleanSheet(kVertical);
        const QList<Finding> found = preflightSheet(
            sheet, nullptr, nullptr, [](int) { return QMarginsF(250, 250, 250, 250); });
        // The frames start 200 twips from the edges, the right page's title 230 across.
        QCOMPARE(lines(found), (QStringList{"右ページ　表題の枠が印刷できない余白にかかります",
                                            "右ページ　表題が印刷できない余白にかかります（1字）",
                                            "左ページ　表題の枠が印刷できない余白にかかります"}));
    }
};

QTEST_GUILESS_MAIN(PreflightTest)
#include "test_preflight.moc"
