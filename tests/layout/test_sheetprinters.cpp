#include <QtTest>

#include "preflight.h"
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
        set(right, i, before, asked, after, answer);
    }
    static void set(PageContent& page, int i, const QString& before, const QString& asked,
                    const QString& after, const QString& answer) {
        page.sentences[i] = before + asked + after;
        page.askedParts[i] = asked;
        page.beforeLengths[i] = qint16(before.size());
        page.answers[i] = answer;
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

// Every text of a trace as "x,y,text", sorted, for comparing whole sheets.
QStringList placedLines(const QList<Placed>& placed) {
    QStringList out;
    for (const Placed& p : placed) out << QStringLiteral("%1,%2,%3").arg(p.x).arg(p.y).arg(p.text);
    out.sort();
    return out;
}

// A sheet with every text filled: both titles, ten items a page, every answer.
Sheet fullSheet(const QString& font, int rightCheck, int leftCheck) {
    Sheet sheet;
    sheet.fontName = font;
    sheet.right.title = QStringLiteral("春夏秋");
    sheet.left.title = QStringLiteral("東西南");
    for (int i = 0; i < 10; ++i) {
        Sheet::set(sheet.right, i, "毎朝", "早起", "き", "みぎ");
        Sheet::set(sheet.left, i, "毎朝", "早起", "き", "ひだり");
    }
    sheet.right.check = rightCheck;
    sheet.left.check = leftCheck;
    return sheet;
}

// Where one page's texts stand, worked out by hand from the layout's coordinates (twips).
struct PageAt {
    double nameX[2], nameY[2];
    double titleX, titleY, titleStepX, titleStepY;  // first character, then per character
    double rowX[10], rowY[10];                      // item i's number; its characters follow
    double rowStepX, rowStepY;
    double answerX[10], answerY[10];  // item i's number with answers off
    double answerOnY[10];             // and with answers on
    double sideLine[10][4];
};

QStringList expectedTexts(const PageAt& at, const PageContent& page, bool vertical) {
    QList<Placed> out;
    for (int n = 0; n < 2; ++n) out.append({at.nameX[n], at.nameY[n], n == 0 ? "名" : "前"});
    for (int i = 0; i < page.title.size(); ++i)
        out.append(
            {at.titleX + at.titleStepX * i, at.titleY + at.titleStepY * i, page.title.mid(i, 1)});
    for (int i = 0; i < 10; ++i) {
        const QString sentence = itemNumber(i) + page.sentences[i];
        for (int j = 0; j < sentence.size(); ++j)
            out.append(
                {at.rowX[i] + at.rowStepX * j, at.rowY[i] + at.rowStepY * j, sentence.mid(j, 1)});
        const QString cell = itemNumber(i) + (page.check ? page.answers[i] : QString());
        if (vertical || page.check == 0) {
            out.append({at.answerX[i], page.check ? at.answerOnY[i] : at.answerY[i], cell});
        } else {
            for (int m = 0; m < cell.size(); ++m)
                out.append({at.answerX[i], at.answerOnY[i] + 300 * m, cell.mid(m, 1)});
        }
    }
    return placedLines(out);
}

// The four pages, from the layouts' worked coordinates: portrait A4 is 11906 by 16838 twips, its
// left page starts at 8419 and its answers at (11906 - 850) / 2 = 5528 and 5528 + 2764 = 8292;
// landscape A4 is 16838 wide, its right page's body from 5953 (half of 11906).
const PageAt kVerticalRight{
    .nameX = {5130, 5630},
    .nameY = {300, 300},
    .titleX = 230,
    .titleY = 250,
    .titleStepX = 500,
    .titleStepY = 0,
    .rowX = {300, 300, 300, 300, 300, 300, 300, 300, 300, 300},
    .rowY = {1000, 1700, 2400, 3100, 3800, 4500, 5200, 5900, 6600, 7300},
    .rowStepX = 300,
    .rowStepY = 0,
    .answerX = {5528, 5528, 5528, 5528, 5528, 8292, 8292, 8292, 8292, 8292},
    .answerY = {1400, 2800, 4200, 5600, 7000, 1400, 2800, 4200, 5600, 7000},
    .answerOnY = {1400, 2800, 4200, 5600, 7000, 1400, 2800, 4200, 5600, 7000},
    .sideLine = {{1200, 1000, 1800, 1000},
                 {1200, 1700, 1800, 1700},
                 {1200, 2400, 1800, 2400},
                 {1200, 3100, 1800, 3100},
                 {1200, 3800, 1800, 3800},
                 {1200, 4500, 1800, 4500},
                 {1200, 5200, 1800, 5200},
                 {1200, 5900, 1800, 5900},
                 {1200, 6600, 1800, 6600},
                 {1200, 7300, 1800, 7300}}};

const PageAt kVerticalLeft{
    .nameX = {5130, 5630},
    .nameY = {8719, 8719},
    .titleX = 250,
    .titleY = 8649,
    .titleStepX = 500,
    .titleStepY = 0,
    .rowX = {300, 300, 300, 300, 300, 300, 300, 300, 300, 300},
    .rowY = {9419, 10119, 10819, 11519, 12219, 12919, 13619, 14319, 15019, 15719},
    .rowStepX = 300,
    .rowStepY = 0,
    .answerX = {5528, 5528, 5528, 5528, 5528, 8292, 8292, 8292, 8292, 8292},
    .answerY = {9819, 11219, 12619, 14019, 15419, 9819, 11219, 12619, 14019, 15419},
    .answerOnY = {9819, 11219, 12619, 14019, 15419, 9819, 11219, 12619, 14019, 15419},
    .sideLine = {{1200, 9419, 1800, 9419},
                 {1200, 10119, 1800, 10119},
                 {1200, 10819, 1800, 10819},
                 {1200, 11519, 1800, 11519},
                 {1200, 12219, 1800, 12219},
                 {1200, 12919, 1800, 12919},
                 {1200, 13619, 1800, 13619},
                 {1200, 14319, 1800, 14319},
                 {1200, 15019, 1800, 15019},
                 {1200, 15719, 1800, 15719}}};

const PageAt kUprightRight{
    .nameX = {16188, 16188},
    .nameY = {6000, 6300},
    .titleX = 16188,
    .titleY = 500,
    .titleStepX = 0,
    .titleStepY = 500,
    .rowX = {15053, 14353, 13653, 12953, 12253, 11553, 10853, 10153, 9453, 8753},
    .rowY = {200, 200, 200, 200, 200, 200, 200, 200, 200, 200},
    .rowStepX = 0,
    .rowStepY = 300,
    .answerX = {14203, 12953, 11703, 10453, 9203, 14203, 12953, 11703, 10453, 9203},
    .answerY = {5500, 5500, 5500, 5500, 5500, 8250, 8250, 8250, 8250, 8250},
    .answerOnY = {5700, 5700, 5700, 5700, 5700, 8450, 8450, 8450, 8450, 8450},
    .sideLine = {{15403, 1100, 15403, 1700},
                 {14703, 1100, 14703, 1700},
                 {14003, 1100, 14003, 1700},
                 {13303, 1100, 13303, 1700},
                 {12603, 1100, 12603, 1700},
                 {11903, 1100, 11903, 1700},
                 {11203, 1100, 11203, 1700},
                 {10503, 1100, 10503, 1700},
                 {9803, 1100, 9803, 1700},
                 {9103, 1100, 9103, 1700}}};

const PageAt kUprightLeft{.nameX = {7719, 7719},
                          .nameY = {6000, 6300},
                          .titleX = 7719,
                          .titleY = 500,
                          .titleStepX = 0,
                          .titleStepY = 500,
                          .rowX = {6600, 5900, 5200, 4500, 3800, 3100, 2400, 1700, 1000, 300},
                          .rowY = {200, 200, 200, 200, 200, 200, 200, 200, 200, 200},
                          .rowStepX = 0,
                          .rowStepY = 300,
                          .answerX = {5750, 4500, 3250, 2000, 750, 5750, 4500, 3250, 2000, 750},
                          .answerY = {5500, 5500, 5500, 5500, 5500, 8250, 8250, 8250, 8250, 8250},
                          .answerOnY = {5700, 5700, 5700, 5700, 5700, 8450, 8450, 8450, 8450, 8450},
                          .sideLine = {{6950, 1100, 6950, 1700},
                                       {6250, 1100, 6250, 1700},
                                       {5550, 1100, 5550, 1700},
                                       {4850, 1100, 4850, 1700},
                                       {4150, 1100, 4150, 1700},
                                       {3450, 1100, 3450, 1700},
                                       {2750, 1100, 2750, 1700},
                                       {2050, 1100, 2050, 1700},
                                       {1350, 1100, 1350, 1700},
                                       {650, 1100, 650, 1700}}};

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

    // Every coordinate of both layouts, once: a full sheet with both titles and every answer, its
    // answers switched on for one page and off for the other (whose answers must not print).
    void everyCoordinate_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("rightCheck");
        QTest::addColumn<int>("leftCheck");
        for (bool vertical : {true, false}) {
            const char* layout = vertical ? "vertical" : "upright";
            QTest::addRow("%s, answers on the right page", layout) << vertical << 1 << 0;
            QTest::addRow("%s, answers on the left page", layout) << vertical << 0 << 2;
        }
    }

    void everyCoordinate() {
        QFETCH(bool, vertical);
        QFETCH(int, rightCheck);
        QFETCH(int, leftCheck);
        const Sheet sheet =
            fullSheet(vertical ? "@IPAexMincho" : "IPAexMincho", rightCheck, leftCheck);
        RecordingSurface surface;
        drawSheet(sheet, naturalFit(), surface);
        const QList<TraceOp> ops = parseTrace(surface.lines());
        const QList<Placed> placed = placedTexts(ops);

        // A page whose switch is off shows its numbers only, though it has answers to show.
        const QString hidden = rightCheck ? QStringLiteral("ひだり") : QStringLiteral("みぎ");
        for (const Placed& p : placed)
            for (QChar c : p.text) QVERIFY2(!hidden.contains(c), qPrintable(p.text));

        const PageAt& right = vertical ? kVerticalRight : kUprightRight;
        const PageAt& left = vertical ? kVerticalLeft : kUprightLeft;
        QStringList expected =
            expectedTexts(right, sheet.right, vertical) + expectedTexts(left, sheet.left, vertical);
        expected.sort();
        QCOMPARE(placedLines(placed), expected);

        // Frames (width 1), then each page's side lines (width 15) in drawing order: the
        // vertical layout draws items 1 to 10, the upright one items 10 to 1.
        QList<QList<double>> frames =
            vertical
                ? QList<QList<double>>{{200, 200, 11056, 200},   {11056, 200, 11056, 900},
                                       {11056, 900, 200, 900},   {200, 900, 200, 200},
                                       {200, 8619, 11056, 8619}, {11056, 8619, 11056, 9319},
                                       {11056, 9319, 200, 9319}, {200, 9319, 200, 8619}}
                : QList<QList<double>>{{16038, 200, 16738, 200},     {16038, 200, 16038, 11000},
                                       {16038, 11000, 16738, 11000}, {16738, 11000, 16738, 200},
                                       {7553, 200, 8253, 200},       {7553, 200, 7553, 11000},
                                       {7553, 11000, 8253, 11000},   {8253, 11000, 8253, 200}};
        QCOMPARE(lines(ops, 1), frames);
        QList<QList<double>> sides;
        for (const PageAt* page : {&right, &left})
            for (int i = 0; i < 10; ++i) {
                const double* l = page->sideLine[vertical ? i : 9 - i];
                sides.append({l[0], l[1], l[2], l[3]});
            }
        QCOMPARE(lines(ops, 15), sides);
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
        const double frameRight = 11056;  // 11906 - 850
        const QList<QList<double>> frames = lines(ops, kThinLine);
        QCOMPARE(frames.size(), 8);
        QCOMPARE(frames[0], (QList<double>{kFrameLeft, kFrameTop, frameRight, kFrameTop}));
        QCOMPARE(frames[1], (QList<double>{frameRight, kFrameTop, frameRight, kFrameBottom}));
        QCOMPARE(frames[2], (QList<double>{frameRight, kFrameBottom, kFrameLeft, kFrameBottom}));
        QCOMPARE(frames[3], (QList<double>{kFrameLeft, kFrameBottom, kFrameLeft, kFrameTop}));
        const double leftTop = 8419;
        QCOMPARE(frames[4],
                 (QList<double>{kFrameLeft, leftTop + kFrameTop, frameRight, leftTop + kFrameTop}));
        const QList<Placed> placed = placedTexts(ops);
        const double upper = 5528;
        const double lower = 8292;
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
        const double side = 600;
        const double row9 = 7300;
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
        QVERIFY(hasText(placed, 4730, 250, "十"));
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
        QVERIFY(hasText(placed, 5528, 9819, "①"));
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
        QVERIFY(hasText(placed, 7719, 3000, "2"));  // left title inside the middle frame
        QVERIFY(hasText(placed, 7719, 6000, "名"));
        // Item 0 is the rightmost column, item 9 the leftmost; the sentence follows its number.
        QVERIFY(hasText(placed, 15053, 200, "①"));
        QVERIFY(hasText(placed, 15053, 500, "毎"));
        QVERIFY(hasText(placed, 8753, 200, "⑩"));
        QVERIFY(hasText(placed, 300, 200, "⑩"));
        QVERIFY(hasText(placed, 6600, 200, "①"));
        // Right answers on, 200 lower; the left page shows numbers only.
        QVERIFY(hasText(placed, 14203, 5700, "①"));
        QVERIFY(hasText(placed, 14203, 6000, "は"));
        QVERIFY(hasText(placed, 9203, 8450, "⑩"));
        QVERIFY(hasText(placed, 750, 5500, "⑤"));
        QVERIFY(hasText(placed, 5750, 8250, "⑥"));
        // Side line of item 0 (column 9): two characters before the asked part, two asked.
        const QList<QList<double>> sides = lines(ops, 15);
        QCOMPARE(sides.size(), 20);
        QCOMPARE(sides[9], (QList<double>{15403, 1100, 15403, 1700}));
        QCOMPARE(sides[0], (QList<double>{9103, 500, 9103, 500}));
        QCOMPARE(sides[19], (QList<double>{6950, 500, 6950, 500}));
    }

    // The key's mark, small, beside its page's title and inside the title frame; everything
    // else of the sheet stands where it stood without it.
    void keyMarkStandsBesideTheTitle_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("rightPage");
        QTest::addColumn<QStringList>("marks");  // "x,y,text" as printed
        QTest::newRow("vertical, right page") << true << true << QStringList{"250,650,解答"};
        QTest::newRow("vertical, left page") << true << false << QStringList{"250,9069,解答"};
        QTest::newRow("upright, right page")
            << false << true << QStringList{"16518,500,解", "16518,660,答"};
        QTest::newRow("upright, left page")
            << false << false << QStringList{"8049,500,解", "8049,660,答"};
    }
    void keyMarkStandsBesideTheTitle() {
        QFETCH(bool, vertical);
        QFETCH(bool, rightPage);
        QFETCH(QStringList, marks);
        const Sheet plain = fullSheet(vertical ? "@IPAexMincho" : "ＭＳ 明朝", 1, 1);
        Sheet marked = plain;
        (rightPage ? marked.right : marked.left).keyMark = QStringLiteral("解答");
        RecordingSurface before, after;
        drawSheet(plain, naturalFit(), before);
        drawSheet(marked, naturalFit(), after);
        const QList<TraceOp> ops = parseTrace(after.lines());
        QStringList placed = placedLines(placedTexts(ops));
        for (const QString& mark : marks) QVERIFY2(placed.removeOne(mark), qPrintable(mark));
        QCOMPARE(placed, placedLines(placedTexts(parseTrace(before.lines()))));
        // Small: the size set last before the mark's first character is the mark's.
        double points = 0;
        for (const TraceOp& o : ops) {
            if (o.op == "setFontSize") points = o.fields["size"].toDouble();
            if (o.op == "printText" && marks.first().endsWith(o.fields["text"].toString())) break;
        }
        QCOMPARE(points, 8.0);
        // Inside its frame and clear of the title: the check finds nothing of it.
        QCOMPARE(preflightSheet(marked, nullptr), preflightSheet(plain, nullptr));
        for (const LaidOutCell& cell : layOutCells(marked, nullptr)) {
            if (cell.part.kind != SheetPart::KeyMark) continue;
            QCOMPARE(cell.part.rightPage, rightPage);
            QVERIFY(cell.area.contains(cell.rect));
        }
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
