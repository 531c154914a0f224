#include <QtTest>
#include <functional>

#include "preflight.h"
#include "recordingsurface.h"

using namespace pobelo;

Q_DECLARE_METATYPE(std::function<void(pobelo::SheetContent&)>)

namespace {

using Change = std::function<void(SheetContent&)>;

const QString kUpright = QStringLiteral("ＭＳ 明朝");
const QString kVertical = QStringLiteral("@ＭＳ 明朝");

void setItem(PageContent& page, int i, const QString& before, const QString& asked,
             const QString& after, const QString& answer) {
    page.sentences[i] = before + asked + after;
    page.askedParts[i] = asked;
    page.beforeLengths[i] = qint16(before.size());
    page.answers[i] = answer;
}

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

// "き" and "あ" three ems wide, every other character one em.
class WideMeasurer : public TextMeasurer {
  public:
    float advance(const QString&, float points, bool, bool, const QString& text) override {
        const bool wide = text == QStringLiteral("き") || text == QStringLiteral("あ");
        return points * 20 * (wide ? 3 : text.size());
    }
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

  private slots:
    void findings_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<QStringList>("expected");
        const Change none = [](SheetContent&) {};

        QTest::newRow("clean, upright") << kUpright << none << false << QStringList{};
        QTest::newRow("clean, vertical") << kVertical << none << false << QStringList{};
        QTest::newRow("clean with answers")
            << kVertical << Change([](SheetContent& s) { s.right.check = s.left.check = 1; })
            << false << QStringList{};
        // 46 characters behind "③": 8 of them below the paper's edge.
        QTest::newRow("46-character sentence, upright") << kUpright << Change([](SheetContent& s) {
            setItem(s.right, 2, k46, "芝刈", "にいきましたよ。ほんとう", "しばかり");
            QCOMPARE(s.right.sentences[2].size(), 46);
        }) << false << QStringList{"右ページ　③ の文が用紙の下にはみ出します（8字）"};
        QTest::newRow("sentence past the frame, upright")
            << kUpright
            << Change([](SheetContent& s) { setItem(s.left, 9, k46 + "あいう", "山", "", "やま"); })
            << false << QStringList{"左ページ　⑩ の文が枠の下にはみ出します（1字）"};
        QTest::newRow("sentence into the answers, vertical")
            << kVertical
            << Change([](SheetContent& s) { setItem(s.left, 4, k46.left(18), "山", "", "やま"); })
            << false << QStringList{"左ページ　⑤ の文が解答欄にかかります（3字）"};
        QTest::newRow("14-character title") << kUpright << Change([](SheetContent& s) {
            s.right.title = QStringLiteral("漢字の読みかた小テスト第一回 1");
        }) << false << QStringList{"右ページ　表題が「名前」にかかります（5字）"};
        QTest::newRow("11-character title, vertical") << kVertical << Change([](SheetContent& s) {
            s.left.title = QStringLiteral("漢字小テスト第三回 3");
        }) << false << QStringList{"左ページ　表題が「名前」にかかります（1字）"};
        QTest::newRow("long answer, upright") << kUpright << Change([](SheetContent& s) {
            s.right.check = 1;
            s.right.answers[1] = QStringLiteral("ながいながいこたえです");
        }) << false << QStringList{"右ページ　② の解答が下の段にかかります（3字）"};
        QTest::newRow("long answer, vertical") << kVertical << Change([](SheetContent& s) {
            s.left.check = 1;
            s.left.answers[0] = QStringLiteral("ながいながいこたえです");
        }) << false << QStringList{"左ページ　① の解答が下の段にかかります（3字）"};
        // "き" and "あ" in the third row of every column reach over the next column.
        QStringList overprints;
        for (const QString page : {"右", "左"}) {
            for (int item = 9; item > 0; --item) {
                overprints << QStringLiteral("%1ページ　%2 の文が%3 の文と重なります")
                                  .arg(page, itemNumber(item), itemNumber(item - 1));
            }
        }
        QTest::newRow("columns overprint one another") << kUpright << none << true << overprints;
    }

    void findings() {
        QFETCH(QString, font);
        QFETCH(Change, change);
        QFETCH(bool, wide);
        QFETCH(QStringList, expected);
        SheetContent sheet = cleanSheet(font);
        change(sheet);
        WideMeasurer measurer;
        QCOMPARE(lines(preflightSheet(sheet, wide ? &measurer : nullptr)), expected);
        if (wide) return;

        // Fitted, every text stays inside its area, and nothing is left to report.
        const SheetFit fit = fitSheet(sheet, nullptr);
        QCOMPARE(lines(preflightSheet(sheet, nullptr, &fit)), QStringList{});
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
