// The painter surface on real PDF pages: where glyphs and lines land, as poppler reads them back.

#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "fontmeasurer.h"
#include "fontresolver.h"
#include "paintersurface.h"
#include "testtools.h"

using pobelo::PainterSurface;
using pobelo::test::runTool;

namespace {

constexpr double kTwipsPerPoint = 20;
constexpr double kEmTwips = 15 * kTwipsPerPoint;  // the sheet's 15-point characters

struct Word {
    QString text;
    QRectF box;  // in twips
};

bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// The words of the first page, with their boxes converted from points to twips.
QList<Word> wordsOf(const QString& pdf) {
    const QString html = runTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QList<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append(
            {m.captured(5), QRectF(topLeft * kTwipsPerPoint, bottomRight * kTwipsPerPoint)});
    }
    return words;
}

std::optional<Word> findWord(const QList<Word>& words, const QString& text) {
    for (const Word& w : words) {
        if (w.text == text) return w;
    }
    return std::nullopt;
}

// A stretch of the first page rendered at `dpi`, for looking at ink.
QImage render(const QString& pdf, const QRectF& twips, int dpi) {
    const double px = dpi / 1440.0;
    const QRect r = QRectF(twips.topLeft() * px, twips.size() * px).toAlignedRect();
    const QString prefix = pdf + ".render";
    QProcess p;
    p.start("pdftoppm",
            {"-png", "-singlefile", "-r", QString::number(dpi), "-x", QString::number(r.x()), "-y",
             QString::number(r.y()), "-W", QString::number(r.width()), "-H",
             QString::number(r.height()), pdf, prefix});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QImage(prefix + ".png");
}

// The bounding box of the dark pixels of an image, in its pixels.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

void setUpA4(PainterSurface& surface, int orientation) {
    QVERIFY(surface.setPaperSize(pobelo::kPaperA4));
    QVERIFY(surface.setOrientation(orientation));
    QVERIFY(surface.setFontSize(15));
}

bool haveIpaFonts() {
    const QStringList fonts = pobelo::japaneseFontFamilies();
    return fonts.contains("IPAexMincho") && fonts.contains("IPAGothic");
}

}  // namespace

class TestPainterSurface : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void pageSize_data();
    void pageSize();
    void rejectsWhatItCannotDo();
    void withoutDeviceNothingIsDrawn();
    void endWithNothingDrawnWritesNothing();
    void glyphsLandInTheirCells_data();
    void glyphsLandInTheirCells();
    void narrowLettersStandUprightInTheColumn();
    void measurerFollowsThePainter_data();
    void measurerFollowsThePainter();
    void measurerKnowsWhatNoFaceShows_data();
    void measurerKnowsWhatNoFaceShows();
    void cellsReadAsVerticalText_data();
    void cellsReadAsVerticalText();
    void lines_data();
    void lines();
    void fontOutlivesEndDocAndDeviceChange();

  private:
    QTemporaryDir dir_;
    QString pdfPath(const QString& name) const { return dir_.filePath(name + ".pdf"); }
};

void TestPainterSurface::initTestCase() {
    QVERIFY(dir_.isValid());
    if (!haveTool("pdftotext") || !haveTool("pdftoppm") || !haveTool("pdffonts"))
        QSKIP("poppler's pdftotext, pdftoppm and pdffonts are needed to read the pages back");
    if (!haveIpaFonts()) QSKIP("the IPA fonts are needed");
}

void TestPainterSurface::pageSize_data() {
    QTest::addColumn<QPageSize::PageSizeId>("devicePaper");
    QTest::addColumn<QPageLayout::Orientation>("deviceOrientation");
    QTest::addColumn<int>("paper");        // 0: left as the device has it
    QTest::addColumn<int>("orientation");  // 0: left as the device has it
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");

    const auto portrait = QPageLayout::Portrait;
    const auto landscape = QPageLayout::Landscape;
    QTest::newRow("A4 portrait") << QPageSize::Letter << landscape << 9 << 1 << 11906.f << 16838.f;
    QTest::newRow("A4 landscape") << QPageSize::Letter << portrait << 9 << 2 << 16838.f << 11906.f;
    QTest::newRow("as the dialog left it")
        << QPageSize::Letter << landscape << 0 << 0 << 15840.f << 12240.f;
    QTest::newRow("A4 kept, turned") << QPageSize::A4 << portrait << 0 << 2 << 16838.f << 11906.f;
    QTest::newRow("JIS B5") << QPageSize::A4 << portrait << 13 << 1 << 10318.f << 14570.f;
}

void TestPainterSurface::pageSize() {
    QFETCH(QPageSize::PageSizeId, devicePaper);
    QFETCH(QPageLayout::Orientation, deviceOrientation);
    QFETCH(int, paper);
    QFETCH(int, orientation);
    QFETCH(float, width);
    QFETCH(float, height);

    QPdfWriter writer(pdfPath("size"));
    writer.setPageSize(QPageSize(devicePaper));
    writer.setPageOrientation(deviceOrientation);
    PainterSurface surface(&writer);
    if (paper) QVERIFY(surface.setPaperSize(paper));
    if (orientation) QVERIFY(surface.setOrientation(orientation));
    QCOMPARE(surface.pageWidth(), width);
    QCOMPARE(surface.pageHeight(), height);
}

void TestPainterSurface::rejectsWhatItCannotDo() {
    QPdfWriter writer(pdfPath("reject"));
    PainterSurface surface(&writer);
    setUpA4(surface, pobelo::kOrientationLandscape);

    QVERIFY(!surface.setOrientation(0));
    QVERIFY(!surface.setOrientation(3));
    QVERIFY(!surface.setPaperSize(0));
    QVERIFY(!surface.setPaperSize(4242));
    QCOMPARE(surface.pageWidth(), 16838.f);  // a refused change leaves the page as it was
    QVERIFY(!surface.setLineStyle(7));
    QVERIFY(!surface.setLineWidth(0));
    QVERIFY(!surface.setFontSize(0));
    QVERIFY(!surface.setFontSize(std::nanf("")));
    QVERIFY(!surface.setCurrentX(INFINITY));
    QVERIFY(!surface.setFontName(""));
    QVERIFY(!surface.setFontName("@"));
    QVERIFY(!surface.drawLine(0, 0, 100, 100, -1));
    QVERIFY(!surface.drawLine(0, 0, 100, 100, 0x1000000));
    QVERIFY(surface.endDoc());
}

void TestPainterSurface::withoutDeviceNothingIsDrawn() {
    PainterSurface surface;
    QVERIFY(surface.setFontName("IPAexMincho"));  // font and position need no device
    QVERIFY(surface.setCurrentX(100));
    QVERIFY(!surface.pageWidth());
    QVERIFY(!surface.pageHeight());
    QVERIFY(!surface.setPaperSize(pobelo::kPaperA4));
    QVERIFY(!surface.setOrientation(pobelo::kOrientationPortrait));
    QVERIFY(!surface.printText("漢"));
    QVERIFY(!surface.drawLine(0, 0, 100, 100, 0));
    QVERIFY(surface.endDoc());
}

void TestPainterSurface::endWithNothingDrawnWritesNothing() {
    const QString path = pdfPath("empty");
    QPdfWriter writer(path);
    PainterSurface surface(&writer);
    setUpA4(surface, pobelo::kOrientationPortrait);
    QVERIFY(surface.setFontName("IPAexMincho"));
    QVERIFY(surface.printText(""));
    QVERIFY(surface.endDoc());
    QVERIFY(!QFile::exists(path));
}

void TestPainterSurface::glyphsLandInTheirCells_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("position");
    // Each expected word with the left edge and width of its box, in twips.
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<double>>("lefts");
    QTest::addColumn<QList<double>>("widths");

    const QPointF near(1000, 2000);
    const QPointF far(15000, 10000);  // on the page only in landscape
    const QPointF middle(3000, 4000);
    const QList<double> em{kEmTwips};
    QTest::newRow("upright, portrait")
        << 1 << "IPAexMincho"
        << "漢" << near << QStringList{"漢"} << QList<double>{1000} << em;
    QTest::newRow("upright, landscape")
        << 2 << "IPAexMincho"
        << "漢" << far << QStringList{"漢"} << QList<double>{15000} << em;
    QTest::newRow("upright string") << 1 << "ＭＳ 明朝"
                                    << "漢字" << middle << QStringList{"漢字"}
                                    << QList<double>{3000} << QList<double>{2 * kEmTwips};
    QTest::newRow("vertical, portrait")
        << 1 << "@IPAexMincho"
        << "漢" << near << QStringList{"漢"} << QList<double>{1000} << em;
    QTest::newRow("vertical, landscape")
        << 2 << "@IPAexMincho"
        << "漢" << far << QStringList{"漢"} << QList<double>{15000} << em;
    QTest::newRow("vertical string")
        << 1 << "@ＭＳ 明朝"
        << "漢字①" << middle << QStringList{"漢", "字", "①"} << QList<double>{3000, 3300, 3600}
        << QList<double>{em[0], em[0], em[0]};
    QTest::newRow("vertical gothic") << 1 << "@ＭＳ ゴシック"
                                     << "読み" << middle << QStringList{"読", "み"}
                                     << QList<double>{3000, 3300} << QList<double>{em[0], em[0]};
    QTest::newRow("vertical proportional gothic")
        << 2 << "@ＭＳ Ｐゴシック"
        << "漢字" << far << QStringList{"漢", "字"} << QList<double>{15000, 15300}
        << QList<double>{em[0], em[0]};
}

void TestPainterSurface::glyphsLandInTheirCells() {
    QFETCH(int, orientation);
    QFETCH(QString, face);
    QFETCH(QString, text);
    QFETCH(QPointF, position);
    QFETCH(QStringList, words);
    QFETCH(QList<double>, lefts);
    QFETCH(QList<double>, widths);

    const QString path = pdfPath("cells");
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        setUpA4(surface, orientation);
        QVERIFY(surface.setFontName(face));
        QVERIFY(surface.setCurrentX(position.x()));
        QVERIFY(surface.setCurrentY(position.y()));
        QVERIFY(surface.printText(text));
        QVERIFY(surface.endDoc());
    }
    const QList<Word> found = wordsOf(path);
    const double tolerance = kTwipsPerPoint;  // one point
    for (qsizetype i = 0; i < words.size(); ++i) {
        const auto word = findWord(found, words[i]);
        QVERIFY2(word, qPrintable("no word " + words[i]));
        QVERIFY2(std::abs(word->box.left() - lefts[i]) < tolerance,
                 qPrintable(QString("%1 starts at %2").arg(words[i]).arg(word->box.left())));
        QVERIFY2(std::abs(word->box.width() - widths[i]) < tolerance,
                 qPrintable(QString("%1 is %2 wide").arg(words[i]).arg(word->box.width())));
        QVERIFY2(std::abs(word->box.top() - position.y()) < tolerance,
                 qPrintable(QString("%1 has its top at %2").arg(words[i]).arg(word->box.top())));
        QVERIFY2(std::abs(word->box.height() - kEmTwips) < tolerance,
                 qPrintable(QString("%1 is %2 high").arg(words[i]).arg(word->box.height())));
    }
}

void TestPainterSurface::narrowLettersStandUprightInTheColumn() {
    const QString path = pdfPath("mixed");
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        setUpA4(surface, pobelo::kOrientationPortrait);
        QVERIFY(surface.setFontName("@IPAexMincho"));
        QVERIFY(surface.setCurrentX(2000));
        QVERIFY(surface.setCurrentY(3000));
        QVERIFY(surface.printText("漢W字"));
        QVERIFY(surface.endDoc());
    }
    const QList<Word> words = wordsOf(path);
    const auto first = findWord(words, "漢");
    const auto narrow = findWord(words, "W");
    const auto last = findWord(words, "字");
    QVERIFY(first && narrow && last);
    // The narrow letter stands in the middle of the second cell, one em long like a sentence's.
    QVERIFY(std::abs(narrow->box.center().x() - (2000 + 1.5 * kEmTwips)) < kTwipsPerPoint);
    QVERIFY(std::abs(last->box.left() - (2000 + 2 * kEmTwips)) < kTwipsPerPoint);

    // Upright in the column as the sheet is read turned, as in a sentence's cell: on the page the
    // letter W lies on its side, higher than it is wide.
    const QImage image = render(path, QRectF(2000 + kEmTwips, 3000, kEmTwips, kEmTwips), 600);
    const QRect ink = inkBox(image);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.height() > ink.width(),
             qPrintable(QString("W's ink is %1 x %2").arg(ink.width()).arg(ink.height())));
}

void TestPainterSurface::measurerKnowsWhatNoFaceShows_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<uint>("character");
    QTest::addColumn<bool>("shown");
    for (const char* face : {"@IPAexMincho", "IPAexMincho"}) {
        QTest::addRow("%s, a kanji", face) << face << 0x6F22u << true;
        QTest::addRow("%s, a letter", face) << face << uint('A') << true;
        // No face has a glyph for a code point Unicode has not assigned.
        QTest::addRow("%s, unassigned", face) << face << 0x0378u << false;
    }
}

void TestPainterSurface::measurerKnowsWhatNoFaceShows() {
    QFETCH(QString, face);
    QFETCH(uint, character);
    QFETCH(bool, shown);
    if (pobelo::resolveFace(face).match != pobelo::FaceMatch::Named)
        QSKIP("the face is not installed");
    pobelo::FontMeasurer measurer;
    QCOMPARE(measurer.canShow(face, false, false, character), shown);
    QCOMPARE(measurer.canShow(face, false, false, character), shown);  // as kept
}

void TestPainterSurface::measurerFollowsThePainter_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cells");  // how many em cells the painter gives it

    // Every string ends in a kanji, whose right edge is where the painter's advance ends.
    const char* texts[][2] = {{"①1漢", "3"},
                              {"①12漢", "4"},
                              {"①A漢", "3"},
                              {"①NHK漢", "5"},
                              {"①ｶﾞｯｺｳ漢", "6"},
                              {"①𠮟る漢", "4"},
                              {"①(ｶﾅ)漢", "6"},
                              {"①a-b漢", "5"},
                              // Format characters take no cell.
                              {"①A\u200B漢", "3"},
                              {"①\u202E漢\u00AD漢", "3"}};
    for (const char* face : {"@IPAexMincho", "@IPAMincho", "@Klee One", "@BIZ UDMincho"}) {
        for (const auto& row : texts)
            QTest::addRow("%s %s", face, row[0])
                << face << QString::fromUtf8(row[0]) << QByteArray(row[1]).toInt();
    }
}

void TestPainterSurface::measurerFollowsThePainter() {
    QFETCH(QString, face);
    QFETCH(QString, text);
    QFETCH(int, cells);
    if (pobelo::resolveFace(face).match != pobelo::FaceMatch::Named)
        QSKIP("the face is not installed");

    pobelo::FontMeasurer measurer;
    const float advance = measurer.advance(face, 15, false, false, text);
    QVERIFY2(std::abs(advance - cells * kEmTwips) < 1, qPrintable(QString::number(advance)));
    const QString path = pdfPath("advance");
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        setUpA4(surface, pobelo::kOrientationPortrait);
        QVERIFY(surface.setFontName(face));
        QVERIFY(surface.setCurrentX(2000));
        QVERIFY(surface.setCurrentY(3000));
        QVERIFY(surface.printText(text));
        // On another row, the last kanji alone where the measure says it stands.
        QVERIFY(surface.setCurrentX(2000 + advance - kEmTwips));
        QVERIFY(surface.setCurrentY(6000));
        QVERIFY(surface.printText(QStringLiteral("漢")));
        QVERIFY(surface.endDoc());
    }
    double right[2] = {0, 0};
    for (const Word& word : wordsOf(path)) {
        double& row = right[word.box.top() < 4500 ? 0 : 1];
        row = std::max(row, word.box.right());
    }
    QVERIFY2(std::abs(right[0] - right[1]) < kTwipsPerPoint / 2,
             qPrintable(QString("drawn to %1, measured to %2").arg(right[0]).arg(right[1])));
}

namespace {

// What the ink of a cell should look like as the column is read.
enum Ink {
    Tall = 1,       // higher than wide
    Wide = 2,       // wider than high
    TopRight = 4,   // within the cell's top-right quarter
    RightHalf = 8,  // its centre right of the cell's centre
    Centred = 16,   // its centre near the cell's centre
};

}  // namespace

void TestPainterSurface::cellsReadAsVerticalText_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ink");

    struct Row {
        const char* text;
        int ink;
    };
    // 一 lies across the column and ー runs along it; 、 and 。 sit at the top right of their
    // cells, small kana to the right; the corner bracket and the wave dash are turned; half-width
    // digits and letters stand upright in the middle of their cell; half-width kana and brackets
    // stand as their full-width forms, a hyphen lies along the column.
    const Row rows[] = {{"一", Wide},      {"ー", Tall}, {"、", TopRight}, {"。", TopRight},
                        {"ょ", RightHalf}, {"「", Wide}, {"～", Tall},     {"3", Tall | Centred},
                        {"A", Centred},    {"ｰ", Tall},  {"(", Wide},      {"-", Tall},
                        {"｡", TopRight},   {"ｶﾞ", 0}};
    for (const char* face : {"@IPAexMincho", "IPAexMincho", "@Klee One", "Klee One"}) {
        for (const Row& row : rows) {
            QTest::addRow("%s %s", row.text, face)
                << face << QString::fromUtf8(row.text) << row.ink;
        }
    }
}

void TestPainterSurface::cellsReadAsVerticalText() {
    QFETCH(QString, face);
    QFETCH(QString, text);
    QFETCH(int, ink);
    if (!pobelo::japaneseFontFamilies().contains(pobelo::resolveFaceName(face)) ||
        pobelo::resolveFace(face).match != pobelo::FaceMatch::Named)
        QSKIP("the face is not installed");

    const QString path = pdfPath("cell");
    const QRectF cell(4000, 5000, kEmTwips, kEmTwips);
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        setUpA4(surface, pobelo::kOrientationPortrait);
        QVERIFY(surface.setFontName(face));
        QVERIFY(surface.setCurrentX(cell.x()));
        QVERIFY(surface.setCurrentY(cell.y()));
        QVERIFY(surface.printText(text));
        QVERIFY(surface.endDoc());
    }
    // A little more than the cell, to see ink that strays out of it; a vertical face's column is
    // read with the page turned a quarter turn clockwise.
    const QRectF around = cell.adjusted(-60, -60, 60, 60);
    QImage image = render(path, around, 600);
    QVERIFY(!image.isNull());
    if (pobelo::isVerticalFaceName(face)) image = image.transformed(QTransform().rotate(90));
    const QRectF box(inkBox(image));
    QVERIFY(!box.isEmpty());
    const double px = 600 / 1440.0;
    const QRectF cellPx(QPointF(60, 60) * px, cell.size() * px);
    const QString seen = QString("ink %1,%2 %3x%4 in a cell of %5")
                             .arg(box.x() - cellPx.x())
                             .arg(box.y() - cellPx.y())
                             .arg(box.width())
                             .arg(box.height())
                             .arg(cellPx.width());
    QVERIFY2(cellPx.adjusted(-2, -2, 2, 2).contains(box), qPrintable("outside: " + seen));
    if (ink & Tall) QVERIFY2(box.height() > box.width(), qPrintable(seen));
    if (ink & Wide) QVERIFY2(box.width() > box.height(), qPrintable(seen));
    if (ink & TopRight) {
        QVERIFY2(box.left() > cellPx.center().x() && box.bottom() < cellPx.center().y(),
                 qPrintable(seen));
    }
    if (ink & RightHalf) QVERIFY2(box.center().x() > cellPx.center().x(), qPrintable(seen));
    if (ink & Centred) {
        const QPointF off = box.center() - cellPx.center();
        QVERIFY2(
            std::abs(off.x()) < cellPx.width() / 10 && std::abs(off.y()) < cellPx.height() / 10,
            qPrintable(seen));
    }
}

void TestPainterSurface::lines_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("color");
    QTest::addColumn<double>("thickness");  // twips
    QTest::addColumn<QRgb>("rgb");

    QTest::newRow("side line") << 15 << 0 << 36.0 << qRgb(0, 0, 0);
    QTest::newRow("red, 0x00BBGGRR") << 10 << 0x0000FF << 24.0 << qRgb(255, 0, 0);
    QTest::newRow("blue") << 10 << 0xFF0000 << 24.0 << qRgb(0, 0, 255);
}

void TestPainterSurface::lines() {
    QFETCH(int, width);
    QFETCH(int, color);
    QFETCH(double, thickness);
    QFETCH(QRgb, rgb);

    const QString path = pdfPath("lines");
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        setUpA4(surface, pobelo::kOrientationLandscape);
        QVERIFY(surface.setLineStyle(0));
        QVERIFY(surface.setLineWidth(width));
        QVERIFY(surface.drawLine(1000, 3000, 4000, 3000, color));
        QVERIFY(surface.drawLine(14000, 9000, 14000, 11000, color));  // only on landscape paper
        QVERIFY(surface.endDoc());
    }
    const int dpi = 720;  // half a twip to the pixel
    const double px = dpi / 1440.0;
    const QRectF area(500, 2500, 4000, 1000);
    const QImage image = render(path, area, dpi);
    QVERIFY(!image.isNull());
    const QRect ink = inkBox(image);
    QVERIFY(!ink.isEmpty());
    QVERIFY(std::abs(ink.left() / px + area.left() - 1000) < 4);
    QVERIFY(std::abs((ink.right() + 1) / px + area.left() - 4000) < 4);
    QVERIFY2(std::abs(ink.height() / px - thickness) < 4,
             qPrintable(QString("line is %1 twips thick").arg(ink.height() / px)));
    QVERIFY(std::abs(ink.center().y() / px + area.top() - 3000) < 4);
    const QRgb middle = image.pixel(ink.center());
    QVERIFY2(std::abs(qRed(middle) - qRed(rgb)) < 30 &&
                 std::abs(qGreen(middle) - qGreen(rgb)) < 30 &&
                 std::abs(qBlue(middle) - qBlue(rgb)) < 30,
             qPrintable(QString::number(middle, 16)));

    const QImage corner = render(path, QRectF(13800, 8800, 400, 2400), dpi);
    QVERIFY(!inkBox(corner).isEmpty());
}

void TestPainterSurface::fontOutlivesEndDocAndDeviceChange() {
    const QString first = pdfPath("first");
    const QString second = pdfPath("second");
    PainterSurface surface;
    QPdfWriter writer1(first);
    surface.setDevice(&writer1);
    setUpA4(surface, pobelo::kOrientationPortrait);
    QVERIFY(surface.setFontName("@ＭＳ Ｐゴシック"));
    QVERIFY(surface.setFontSize(20));
    QVERIFY(surface.setCurrentX(1000));
    QVERIFY(surface.setCurrentY(1000));
    QVERIFY(surface.printText("漢"));
    QVERIFY(surface.endDoc());

    QPdfWriter writer2(second);
    surface.setDevice(&writer2);
    QVERIFY(surface.setPaperSize(pobelo::kPaperA4));
    QVERIFY(surface.printText("漢"));  // same face, size and place as before
    QVERIFY(surface.endDoc());

    const QString family = surface.resolvedFamily();
    QVERIFY(runTool("pdffonts", {second}).contains(family));
    const auto word = findWord(wordsOf(second), "漢");
    QVERIFY(word);
    QVERIFY(std::abs(word->box.left() - 1000) < kTwipsPerPoint);
    QVERIFY(std::abs(word->box.width() - 20 * kTwipsPerPoint) < kTwipsPerPoint);
}

QTEST_MAIN(TestPainterSurface)
#include "test_paintersurface.moc"
