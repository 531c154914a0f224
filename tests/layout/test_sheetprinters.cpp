#include <QtTest>

#include "recordingsurface.h"
#include "sheetprinters.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// A composed sheet, in a vertical-writing face unless set otherwise.
struct Sheet : SheetContent {
    Sheet() { fontName = QStringLiteral("@IPAexMincho"); }
    // Item i of the right page: before, asked part, after, answer.
    void setRight(int i, const QString& before, const QString& asked, const QString& after,
                  const QString& answer) {
        right.sentences[i] = before + asked + after;
        right.askedParts[i] = asked;
        right.beforeLengths[i] = qint16(before.size());
        right.answers[i] = answer;
    }
};

// Every text printed, with the position set before it.
struct Placed {
    double x, y;
    QString text;
};

QList<Placed> placedTexts(const QList<TraceOp>& ops) {
    QList<Placed> out;
    double x = 0, y = 0;
    for (const TraceOp& o : ops) {
        if (o.op == "setCurrentX") x = o.fields["x"].toDouble();
        if (o.op == "setCurrentY") y = o.fields["y"].toDouble();
        if (o.op == "printText") out.append(Placed{x, y, o.fields["text"].toString()});
    }
    return out;
}

QList<QList<double>> lines(const QList<TraceOp>& ops, int width = -1) {
    QList<QList<double>> out;
    int current = -1;
    for (const TraceOp& o : ops) {
        if (o.op == "setLineWidth") current = o.fields["width"].toInt();
        if (o.op == "drawLine" && (width < 0 || width == current))
            out.append({o.fields["x1"].toDouble(), o.fields["y1"].toDouble(),
                        o.fields["x2"].toDouble(), o.fields["y2"].toDouble()});
    }
    return out;
}

bool hasText(const QList<Placed>& placed, double x, double y, const QString& text) {
    for (const Placed& p : placed)
        if (p.x == x && p.y == y && p.text == text) return true;
    return false;
}

}  // namespace

class SheetPrintersTest : public QObject {
    Q_OBJECT

  private slots:
    // Lines are written only for a reader; what the printers draw and the results they see do
    // not depend on it, failing operations included.
    void recordsOnlyForAReader() {
        for (bool vertical : {true, false}) {
            QStringList drawn[3], written[3];
            for (int mode = 0; mode < 3; ++mode) {  // lines kept, sink only, neither
                Sheet sheet;
                sheet.setRight(0, "毎朝", "早起", "きする。", "はやお");
                RecordingSurface device;
                RecordingSurface surface(&device);
                surface.failing() << "pageWidth"
                                  << "setCurrentY";
                surface.setKeepLines(mode == 0);
                if (mode == 1) surface.sink = [&](const QString& line) { written[1] << line; };
                if (vertical)
                    printWithVerticalFont(sheet, naturalFit(), surface);
                else
                    printWithUprightFont(sheet, naturalFit(), surface);
                if (mode == 0) written[0] = surface.lines();
                if (mode != 0) QVERIFY(surface.lines().isEmpty());
                drawn[mode] = device.lines();
            }
            QVERIFY(written[0].size() > 100);
            QCOMPARE(written[1], written[0]);
            QCOMPARE(drawn[1], drawn[0]);
            QCOMPARE(drawn[2], drawn[0]);
        }
    }

    void verticalNeverComposedPage() {
        Sheet sheet;
        RecordingSurface surface;
        printWithVerticalFont(sheet, naturalFit(), surface);
        const QList<TraceOp> ops = parseTrace(surface.lines());
        QCOMPARE(ops[0].op, QStringLiteral("setFontName"));
        QCOMPARE(ops[0].fields["name"].toString(), QStringLiteral("@IPAexMincho"));
        QCOMPARE(
            surface.lines().mid(1, 4),
            (QStringList{
                R"({"op":"setPaperSize","size":9})", R"({"op":"setOrientation","orientation":1})",
                R"({"op":"setLineStyle","style":0})", R"({"op":"setLineWidth","width":1})"}));
        // Title frames of both pages, width 1, the left one from half the page height.
        using namespace verticalSheet;
        const double frameRight = frameWidth(double(kPaperWidth));
        const QList<QList<double>> frames = lines(ops, kThinLine);
        QCOMPARE(frames.size(), 8);
        QCOMPARE(frames[0], (QList<double>{kFrameLeft, kFrameTop, frameRight, kFrameTop}));
        QCOMPARE(frames[1], (QList<double>{frameRight, kFrameTop, frameRight, kFrameBottom}));
        QCOMPARE(frames[2], (QList<double>{frameRight, kFrameBottom, kFrameLeft, kFrameBottom}));
        QCOMPARE(frames[3], (QList<double>{kFrameLeft, kFrameBottom, kFrameLeft, kFrameTop}));
        const double leftTop = kPaperHeight / 2;
        QCOMPARE(frames[4],
                 (QList<double>{kFrameLeft, leftTop + kFrameTop, frameRight, leftTop + kFrameTop}));
        const QList<Placed> placed = placedTexts(ops);
        const double upper = upperAnswersX(double(kPaperWidth));
        const double lower = upper + lowerAnswersStep(double(kPaperWidth));
        for (double yp : {0.0, leftTop}) {
            QVERIFY(hasText(placed, kNameX, yp + kNameY, "名"));
            QVERIFY(hasText(placed, kNameSecondX, yp + kNameY, "前"));
            for (int i = 0; i < 10; ++i)
                QVERIFY(
                    hasText(placed, kSentenceX, yp + kFirstRowY + kRowPitch * i, itemNumber(i)));
            for (int k = 1; k <= 5; ++k) {
                QVERIFY(hasText(placed, upper, yp + kAnswerRowPitch * k, itemNumber(k - 1)));
                QVERIFY(hasText(placed, lower, yp + kAnswerRowPitch * k, itemNumber(k + 4)));
            }
        }
        // Nothing else was printed: no title, empty sentences.
        QCOMPARE(placed.size(), 2 * (2 + 10 + 10));
        // Zero-length side lines a cell behind the item number.
        const QList<QList<double>> sides = lines(ops, kSideLineWidth);
        QCOMPARE(sides.size(), 20);
        const double side = kSentenceX + kCharacterTwips;
        const double row9 = kFirstRowY + kRowPitch * 9;
        QCOMPARE(sides[9], (QList<double>{side, row9, side, row9}));
    }

    // The worked examples below keep their numbers written out: a change of the geometry shows
    // here as well as in the traces.
    void verticalFullPageWithAnswers() {
        Sheet sheet;
        sheet.right.title = QStringLiteral("一二三四五六七八九十百");  // eleven characters
        for (int i = 0; i < 10; ++i)
            sheet.setRight(i, i == 2 ? "毎日の" : "", "漢字", "を書く。",
                           QStringLiteral("かんじ%1").arg(i));
        sheet.setRight(4, "家の", "近", "くに住む。", "");
        sheet.right.check = 1;
        RecordingSurface surface;
        printWithVerticalFont(sheet, naturalFit(), surface);
        const QList<TraceOp> ops = parseTrace(surface.lines());
        const QList<Placed> placed = placedTexts(ops);
        QVERIFY(hasText(placed, 230 + 500 * 9, 250, "十"));
        QVERIFY(hasText(placed, 5230, 250, "百"));  // the eleventh runs past the name field
        // Sentence 2: prefix at 300, then one character every 300 twips.
        QVERIFY(hasText(placed, 300, 2400, "③"));
        QVERIFY(hasText(placed, 600, 2400, "毎"));
        QVERIFY(hasText(placed, 1500, 2400, "漢"));
        // Answers are printed whole behind their numbers; an empty one leaves the number alone.
        QVERIFY(hasText(placed, 5528, 1400, "①かんじ0"));
        QVERIFY(hasText(placed, 5528, 7000, "⑤"));
        QVERIFY(hasText(placed, 8292, 1400, "⑥かんじ5"));
        // The left page has its switch off.
        QVERIFY(hasText(placed, 5528, 8419 + 1400, "①"));
        // Side line of item 2: three characters before, two asked: 1500 to 2100.
        const QList<QList<double>> sides = lines(ops, 15);
        QCOMPARE(sides[2], (QList<double>{1500, 2400, 2100, 2400}));
        QCOMPARE(sides[4], (QList<double>{1200, 3800, 1500, 3800}));
        QCOMPARE(surface.lines().last(),
                 QStringLiteral(
                     R"({"op":"drawLine","x1":600,"y1":15719,"x2":600,"y2":15719,"color":0})"));
    }

    void uprightLayoutMatchesTheWorkedExample_data() {
        QTest::addColumn<int>("dialogOrientation");
        QTest::newRow("dialog left in portrait") << 1;
        QTest::newRow("dialog left in landscape") << 2;
    }

    void uprightLayoutMatchesTheWorkedExample() {
        QFETCH(int, dialogOrientation);
        Sheet sheet;
        sheet.fontName = QStringLiteral("ＭＳ 明朝");
        sheet.right.title = QStringLiteral("小テスト 1");
        sheet.left.title = QStringLiteral("小テスト 2");
        sheet.setRight(0, "毎朝", "早起", "きする。", "はやお");
        sheet.setRight(9, "", "", "", "");
        sheet.right.check = 1;
        RecordingSurface surface;
        surface.setDeviceOrientation(dialogOrientation);
        printWithUprightFont(sheet, naturalFit(), surface);
        const QList<TraceOp> ops = parseTrace(surface.lines());
        QCOMPARE(
            surface.lines().mid(0, 6),
            (QStringList{
                R"({"op":"setFontName","name":"ＭＳ 明朝"})", R"({"op":"setPaperSize","size":9})",
                R"({"op":"setOrientation","orientation":2})", R"({"op":"setLineStyle","style":0})",
                R"({"op":"setLineWidth","width":1})", R"({"op":"pageWidth","result":16838})"}));
        const QList<QList<double>> thin = lines(ops, 1);
        QCOMPARE(thin.size(), 8);
        QCOMPARE(thin[0], (QList<double>{16038, 200, 16738, 200}));
        QCOMPARE(thin[3], (QList<double>{16738, 11000, 16738, 200}));
        QCOMPARE(thin[4], (QList<double>{7553, 200, 8253, 200}));
        QCOMPARE(thin[7], (QList<double>{8253, 11000, 8253, 200}));
        const QList<Placed> placed = placedTexts(ops);
        QVERIFY(hasText(placed, 16188, 6000, "名"));
        QVERIFY(hasText(placed, 16188, 6300, "前"));
        QVERIFY(hasText(placed, 16188, 500, "小"));
        QVERIFY(hasText(placed, 7719, 500 + 500 * 5, "2"));  // left title inside the middle frame
        QVERIFY(hasText(placed, 7719, 6000, "名"));
        // Item 0 is the rightmost column, item 9 the leftmost; the sentence follows its number.
        QVERIFY(hasText(placed, 15053, 200, "①"));
        QVERIFY(hasText(placed, 15053, 500, "毎"));
        QVERIFY(hasText(placed, 8753, 200, "⑩"));
        QVERIFY(hasText(placed, 300, 200, "⑩"));
        QVERIFY(hasText(placed, 6600, 200, "①"));
        // Right answers on, 200 lower; the left page shows numbers only.
        QVERIFY(hasText(placed, 5953 + 2000 + 1250 * 5, 5700, "①"));
        QVERIFY(hasText(placed, 5953 + 2000 + 1250 * 5, 6000, "は"));
        QVERIFY(hasText(placed, 5953 + 2000 + 1250 * 1, 8450, "⑩"));
        QVERIFY(hasText(placed, 1250 * 1 - 500, 5500, "⑤"));
        QVERIFY(hasText(placed, 1250 * 5 - 500, 8250, "⑥"));
        // Side line of item 0 (column 9): two characters before the asked part, two asked.
        const QList<QList<double>> sides = lines(ops, 15);
        QCOMPARE(sides.size(), 20);
        QCOMPARE(sides[9], (QList<double>{5953 + 3150 + 6300, 1100, 5953 + 3150 + 6300, 1700}));
        QCOMPARE(sides[0], (QList<double>{9103, 500, 9103, 500}));
        QCOMPARE(sides[19], (QList<double>{650 + 6300, 500, 650 + 6300, 500}));
    }

    void sideLinesThatDoNotFitAreNotDrawn() {
        for (bool vertical : {true, false}) {
            Sheet sheet;
            if (!vertical) sheet.fontName = QStringLiteral("ＭＳ 明朝");
            sheet.setRight(0, "前", "問", "", "");
            sheet.setRight(1, QString(200, QChar(0x3042)), "問", "", "");  // ends past 32767 twips
            RecordingSurface surface;
            drawSheet(sheet, naturalFit(), surface);
            const QList<QList<double>> sides = lines(parseTrace(surface.lines()), 15);
            QCOMPARE(sides.size(), 19);
            for (const QList<double>& l : sides)
                for (double v : l) QVERIFY(v <= 32767);
        }
    }

    void failingOperationsAreSkipped() {
        Sheet sheet;
        sheet.setRight(0, "毎朝", "早起", "きする。", "はやお");
        RecordingSurface surface;
        surface.failing() = {"pageWidth", "printText", "pageHeight"};
        printWithVerticalFont(sheet, naturalFit(), surface);
        const QList<TraceOp> ops = parseTrace(surface.lines());
        // Frame lines that need the page width are skipped; the rest of the sheet goes on.
        QCOMPARE(lines(ops, 1).size(), 2);
        QCOMPARE(lines(ops, 15).size(), 20);
        // Without a page height the left page starts at the top.
        QCOMPARE(lines(ops, 15).last(), (QList<double>{600, 7300, 600, 7300}));
    }
};

QTEST_GUILESS_MAIN(SheetPrintersTest)
#include "test_sheetprinters.moc"
