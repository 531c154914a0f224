#include <QtTest>

#include "pagecontent.h"
#include "preflight.h"
#include "recordingsurface.h"
#include "sheetprinters.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

const QString kVertical = QStringLiteral("@IPAexMincho");
const QString kUpright = QStringLiteral("IPAexMincho");

// A 書き page on the right (kanji answers of 1, 2 and 3 characters) and a 読み page on the left.
SheetContent schoolSheet(const QString& font) {
    SheetContent sheet;
    sheet.fontName = font;
    sheet.right.title = QStringLiteral("かん字 1");
    sheet.left.title = QStringLiteral("かん字 2");
    for (int i = 0; i < 10; ++i) {
        const char* kanji[] = {"空", "学校", "図書室"};
        setItem(sheet.right, i, "", "そら", "をみる。", QString::fromUtf8(kanji[i % 3]));
        setItem(sheet.left, i, "", "空", "をみる。", QStringLiteral("そら"));
    }
    return sheet;
}

SheetFurniture everything() {
    SheetFurniture f;
    f.instruction = f.classField = f.score = f.squares = f.cutLine = true;
    return f;
}

// Each printed text with the position set before it and the size in use: "x,y,points,text".
QStringList placed(const QStringList& trace) {
    QStringList out;
    double x = 0, y = 0, points = 0;
    for (const TraceOp& o : parseTrace(trace)) {
        if (o.op == "setCurrentX") x = o.fields["x"].toDouble();
        if (o.op == "setCurrentY") y = o.fields["y"].toDouble();
        if (o.op == "setFontSize") points = o.fields["size"].toDouble();
        if (o.op == "printText")
            out << QStringLiteral("%1,%2,%3,%4")
                       .arg(x)
                       .arg(y)
                       .arg(points)
                       .arg(o.fields["text"].toString());
    }
    return out;
}

// Each line drawn with its style and width: "style/width:x1,y1,x2,y2".
QStringList drawn(const QStringList& trace) {
    QStringList out;
    int style = 0, width = 0;
    for (const TraceOp& o : parseTrace(trace)) {
        if (o.op == "setLineStyle") style = o.fields["style"].toInt();
        if (o.op == "setLineWidth") width = o.fields["width"].toInt();
        if (o.op == "drawLine")
            out << QStringLiteral("%1/%2:%3,%4,%5,%6")
                       .arg(style)
                       .arg(width)
                       .arg(o.fields["x1"].toDouble())
                       .arg(o.fields["y1"].toDouble())
                       .arg(o.fields["x2"].toDouble())
                       .arg(o.fields["y2"].toDouble());
    }
    return out;
}

QStringList traceOf(const SheetContent& sheet, const SheetFit& fit = naturalFit()) {
    RecordingSurface surface;
    drawSheet(sheet, fit, surface);
    return surface.lines();
}

QStringList lines(const QList<Finding>& findings) {
    QStringList out;
    for (const Finding& f : findings) out << f.line();
    return out;
}

}  // namespace

class FurnitureTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Everything chosen, on the key of each layout: where each element stands, worked by hand.
    // Vertical (portrait, the left page from Y 8419): 組 and 番 at X 9006 and 9806 on the name
    // field's line, the score box's line at X 10206 across the frame and 点 in its corner, the
    // instruction inside the frame under the title, squares from 60 behind each answer number
    // (item 1's number at 5528, 1400: its squares from X 5888 around Y 1550), the cut line at
    // half the paper with its word between two dashes. Upright (landscape): the same elements
    // down the title column (X 16188 and 7719), the instruction between item 1's side line and
    // the frame, squares from Y 6060 below each key number, the cut line at X 8419.
    void workedTrace_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("lines");
        // Every square of a page is as large as its longest answer (三 characters) allows:
        // 2344 / 3 = 781 on the vertical sheet, 2130 / 3 = 710 on the upright one; a key's
        // character fills 70 % of it, in its middle.
        QTest::newRow("vertical")
            << kVertical
            << QStringList{"9006,300,15,組", "9806,300,15,番", "10756,600,12,点",
                           "230,620,11,――線のひらがなを漢字で書きましょう。", "9006,8719,15,組",
                           // 22 characters in the 4820 twips under the left page's title
                           "250,9044,10.75,――線の漢字の読みをひらがなで書きましょう。",
                           "6006,1277.5,27.25,空", "6006,2677.5,27.25,学", "6787,2677.5,27.25,校",
                           "5633,8339,8,きりとり"}
            << QStringList{"0/1:10206,200,10206,900",     "0/1:10206,8619,10206,9319",
                           "0/4:5888,1159.5,6669,1159.5", "0/4:5888,1940.5,6669,1940.5",
                           "0/4:5888,1159.5,5888,1940.5", "0/4:6669,1159.5,6669,1940.5",
                           "2/1:5888,1550,6669,1550",     "2/1:6278.5,1159.5,6278.5,1940.5",
                           "1/2:180,8419,5553,8419",      "1/2:6353,8419,11726,8419"};
        QTest::newRow("upright")
            << kUpright
            << QStringList{"16188,9050,15,組", "16188,9850,15,番", "16278,10740,10,／10",
                           "15600.5,200,12,―", "15600.5,3080,12,書", "7719,9050,15,組",
                           "7134,200,11.75,―",
                           // item 1: the right page's fifth answer column, X 14203
                           "14105.5,6167.5,24.75,空", "8339,5633,8,き"}
            << QStringList{"0/1:16038,10250,16738,10250", "0/1:7553,10250,8253,10250",
                           "0/4:13998,6060,13998,6770",   "0/4:14708,6060,14708,6770",
                           "0/4:13998,6060,14708,6060",   "0/4:13998,6770,14708,6770",
                           "2/1:14353,6060,14353,6770",   "2/1:13998,6415,14708,6415",
                           "1/2:8419,180,8419,5553",      "1/2:8419,6353,8419,11726"};
    }
    void workedTrace() {
        QFETCH(QString, font);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, lines);
        SheetContent sheet = schoolSheet(font);
        sheet.furniture = everything();
        sheet.right.check = sheet.left.check = 1;
        const QStringList trace = traceOf(sheet);
        const QStringList t = placed(trace);
        const QStringList l = drawn(trace);
        QStringList missing;
        for (const QString& text : texts)
            if (!t.contains(text)) missing << text;
        for (const QString& line : lines)
            if (!l.contains(line)) missing << line;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
        // The squares hold the key's answers: no answer place prints one behind its number.
        QVERIFY(!t.join('\n').contains(QStringLiteral("①空")));
        // The sheet goes on where it was: the plain sheet's operations are all there, in order.
        SheetContent plain = withoutBoxedAnswers(sheet);
        plain.furniture = SheetFurniture();
        QStringList rest = trace;
        for (const QString& op : traceOf(plain)) {
            const qsizetype at = rest.indexOf(op);
            QVERIFY2(at >= 0, qPrintable(op));
            rest.remove(0, at + 1);
        }
    }

    // Choices that print nothing (a page's own instruction, kana, a size, with no element chosen)
    // leave the sheet exactly as it was.
    void noneChosenLeavesTheSheet() {
        for (const QString& font : {kVertical, kUpright}) {
            const SheetContent plain = schoolSheet(font);
            SheetContent sheet = plain;
            sheet.furniture.kanaInstruction = true;
            sheet.furniture.squareMillimetres = 14;
            sheet.furniture.instructions = {QStringLiteral("よく見て書こう。"), QString()};
            sheet.paper = Paper::A3;
            QCOMPARE(traceOf(sheet), traceOf(plain));
            QCOMPARE(preflightSheet(sheet, nullptr), preflightSheet(plain, nullptr));
        }
    }

    // One square a kanji, the largest that fits the longest answer (the places are 2344 twips
    // long on the vertical sheet, 2130 on the upright one; squares 1200 and 1100 at most).
    void squaresForShortAnswers_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("squares");
        QTest::addColumn<double>("side");
        QTest::newRow("vertical 1") << kVertical << "空" << 1 << 1200.0;
        QTest::newRow("vertical 2") << kVertical << "学校" << 2 << 1172.0;
        QTest::newRow("vertical 3") << kVertical << "図書室" << 3 << 781.0;
        QTest::newRow("upright 1") << kUpright << "空" << 1 << 1100.0;
        QTest::newRow("upright 2") << kUpright << "学校" << 2 << 1065.0;
        QTest::newRow("upright 3") << kUpright << "図書室" << 3 << 710.0;
    }
    void squaresForShortAnswers() {
        QFETCH(QString, font);
        QFETCH(QString, answer);
        QFETCH(int, squares);
        QFETCH(double, side);
        SheetContent sheet = schoolSheet(font);
        for (int i = 0; i < 10; ++i) sheet.right.answers[i] = answer;
        sheet.furniture.squares = true;
        const QList<AnswerBoxes> boxes = answerBoxes(sheet, naturalFit(), true);
        QCOMPARE(boxes.size(), 10);
        for (const AnswerBoxes& b : boxes) {
            QVERIFY(b.kanji);
            QCOMPARE(b.cells.size(), squares);
            for (const QRectF& c : b.cells) {
                QCOMPARE(c.width(), side);
                QCOMPARE(c.height(), side);
            }
        }
        // Each square drawn: its sides across, two long sides, and its cross guide.
        SheetContent rightOnly = sheet;
        rightOnly.left = PageContent();
        const QStringList l = drawn(traceOf(rightOnly));
        QCOMPARE(l.filter(QRegularExpression("^0/4:")).size(), 10 * (squares + 1 + 2));
        QCOMPARE(l.filter(QRegularExpression("^2/1:")).size(), 10 * (squares + 1));
        // A reading gets a bracket, as long as the reading.
        const QList<AnswerBoxes> readings = answerBoxes(sheet, naturalFit(), false);
        QVERIFY(!readings.first().kanji);
        QCOMPARE(readings.first().cells.size(), 2);
    }

    // The longest kanji answer that fits at the 10 mm floor and one more, on A4 and on B4 (whose
    // floor is 10 mm / 122 % on the sheet); a fit makes a chosen size smaller and says so.
    void squaresAtTheFloor_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("paper");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("vertical A4 4") << kVertical << 0 << "一二三四" << none;
        QTest::newRow("vertical A4 5")
            << kVertical << 0 << "一二三四五"
            << QStringList{"右ページ　① のマス目が下の段にかかります（1マス）"};
        QTest::newRow("vertical B4 5") << kVertical << 1 << "一二三四五" << none;
        QTest::newRow("vertical B4 6")
            << kVertical << 1 << "一二三四五六"
            << QStringList{"右ページ　① のマス目が下の段にかかります（1マス）"};
        QTest::newRow("upright A4 3") << kUpright << 0 << "一二三" << none;
        QTest::newRow("upright A4 4")
            << kUpright << 0 << "一二三四"
            << QStringList{"右ページ　① のマス目が下の段にかかります（1マス）"};
        QTest::newRow("upright A3 5") << kUpright << 2 << "一二三四五" << none;
        QTest::newRow("upright A3 6")
            << kUpright << 2 << "一二三四五六"
            << QStringList{"右ページ　① のマス目が下の段にかかります（1マス）"};
    }
    void squaresAtTheFloor() {
        QFETCH(QString, font);
        QFETCH(int, paper);
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        SheetContent sheet = schoolSheet(font);
        sheet.left = PageContent();
        for (int i = 0; i < 10; ++i)
            sheet.right.answers[i] = i == 0 ? answer : QStringLiteral("空");
        sheet.paper = Paper(paper);
        sheet.furniture.squares = true;
        QCOMPARE(lines(preflightSheet(sheet, nullptr)), expected);
        // Fitted, a chosen size gets smaller down to the floor and is told; at the floor the
        // squares that still do not fit are found at it.
        sheet.furniture.squareMillimetres = 16;
        const SheetFit fit = fitSheet(sheet, nullptr);
        QVERIFY(fit.right.squares >= floorSquareTwips(sheet.paper));
        const QStringList notes = lines(fitNotes(sheet, fit));
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes.first().contains(QStringLiteral("マス目を 16.0 mm から ")),
                 qPrintable(notes.first()));
        QStringList atFloor = expected;
        atFloor.replaceInStrings(QStringLiteral("が下の段"), QStringLiteral("が10 mmでも下の段"));
        QCOMPARE(lines(preflightSheet(sheet, nullptr, &fit)), atFloor);
    }

    // The instruction is chosen by what the page asks, in hiragana when asked; a page's own
    // replaces it; a page without questions has none.
    void instructionByWhatThePageAsks() {
        SheetContent sheet = schoolSheet(kVertical);
        sheet.furniture.instruction = true;
        QCOMPARE(pageInstruction(sheet, true),
                 QStringLiteral("――線のひらがなを漢字で書きましょう。"));
        QCOMPARE(pageInstruction(sheet, false),
                 QStringLiteral("――線の漢字の読みをひらがなで書きましょう。"));
        sheet.left.answers[3] = QStringLiteral("学校");
        QCOMPARE(pageInstruction(sheet, false),
                 QStringLiteral("――線の漢字は読みを、ひらがなは漢字を書きましょう。"));
        sheet.furniture.kanaInstruction = true;
        QCOMPARE(pageInstruction(sheet, true),
                 QStringLiteral("――せんの　ひらがなを　かんじで　かきましょう。"));
        sheet.furniture.instructions[0] = QStringLiteral("ていねいに書こう。");
        QCOMPARE(pageInstruction(sheet, true), QStringLiteral("ていねいに書こう。"));
        sheet.right = PageContent();
        QCOMPARE(pageInstruction(sheet, true), QString());
        // A long one is set smaller to fit under the title, and never reaches the name field.
        SheetContent longer = schoolSheet(kVertical);
        longer.furniture.instruction = true;
        longer.furniture.instructions[0] = QString(30, QChar(0x3042));
        QCOMPARE(lines(preflightSheet(longer, nullptr)), QStringList());
        longer.furniture.instructions[0] = QString(40, QChar(0x3042));
        QCOMPARE(lines(preflightSheet(longer, nullptr)),
                 QStringList{"右ページ　指示文が「名前」にかかります（5字）"});
        // It is at its least size already: a fit cannot help it, and it is still found.
        const SheetFit fit = fitSheet(longer, nullptr);
        QCOMPARE(fit.right.instruction.points, 7.0f);
        QCOMPARE(lines(preflightSheet(longer, nullptr, &fit)).size(), 1);
    }

    // The lists the command line, scripts and set files use.
    void furnitureLists() {
        SheetFurniture f;
        f.instructions[1] = QStringLiteral("自分の");
        QString bad;
        QVERIFY(parseFurnitureList(QStringLiteral("cut, squares=12,kana,instruction"), &f, &bad));
        QCOMPARE(furnitureList(f), QStringLiteral("instruction,squares,cut,kana,squares=12"));
        QCOMPARE(f.instructions[1], QStringLiteral("自分の"));
        QVERIFY(parseFurnitureList(QString(), &f, &bad));
        QVERIFY(!f.any());
        for (const char* wrong : {"squares=11", "name", "squares=x"}) {
            QVERIFY(!parseFurnitureList(QString::fromUtf8(wrong), &f, &bad));
            QCOMPARE(bad, QString::fromUtf8(wrong));
        }
    }
};

QTEST_GUILESS_MAIN(FurnitureTest)
#include "test_furniture.moc"
