// Several print jobs as the pages of one PDF document on the same writer.

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "paintersurface.h"
#include "testtools.h"

using pobelo::PainterSurface;
using namespace pobelo::test;

namespace {

// The box of the first word on a page, in points, as poppler reads it.
QRectF firstWordBox(const QString& pdf, int page) {
    const QString n = QString::number(page);
    const QString html = runTool("pdftotext", {"-bbox", "-f", n, "-l", n, pdf, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re");
    const auto m = word.match(html);
    if (!m.hasMatch()) return {};
    return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
}

// The words on a page with their boxes in twips, as poppler reads them.
QList<QPair<QString, QRectF>> pageWords(const QString& pdf, int page) {
    const QString n = QString::number(page);
    const QString html = runTool("pdftotext", {"-bbox", "-f", n, "-l", n, pdf, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re");
    QList<QPair<QString, QRectF>> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({m.captured(5), QRectF(topLeft * 20, bottomRight * 20)});
    }
    return words;
}

// One job as a sheet printer runs it: paper, orientation, some ink (unless empty), endDoc.
void runJob(PainterSurface& surface, int orientation, bool draw) {
    QVERIFY(surface.setPaperSize(pobelo::kPaperA4));
    QVERIFY(surface.setOrientation(orientation));
    if (draw) {
        QVERIFY(surface.setCurrentX(1440));
        QVERIFY(surface.setCurrentY(2880));
        QVERIFY(surface.printText("Sheet"));
        QVERIFY(surface.drawLine(200, 200, 5000, 200, 0));
    }
    QVERIFY(surface.endDoc());
}

}  // namespace

class TestSurfacePages : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void jobsBecomePages_data();
    void jobsBecomePages();
    void eachJobIsADocumentByDefault();
    void laterPagesAreDrawnLikeTheFirst();
    void turnedGlyphsKeepTheirCellsAndPages();
    void settingAnotherDeviceClosesTheDocument();

  private:
    QTemporaryDir dir_;
};

void TestSurfacePages::initTestCase() {
    QVERIFY(dir_.isValid());
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
        QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("poppler's pdfinfo and pdftotext are needed to read the document back");
}

void TestSurfacePages::jobsBecomePages_data() {
    QTest::addColumn<QList<int>>("orientations");  // one job each; negative: nothing drawn
    QTest::addColumn<QStringList>("sizes");

    const int p = pobelo::kOrientationPortrait;
    const int l = pobelo::kOrientationLandscape;
    QTest::newRow("one job") << QList<int>{p} << QStringList{"595x842"};
    QTest::newRow("three portrait jobs")
        << QList<int>{p, p, p} << QStringList{"595x842", "595x842", "595x842"};
    QTest::newRow("orientation set per job")
        << QList<int>{p, l, p} << QStringList{"595x842", "842x595", "595x842"};
    QTest::newRow("a job that draws nothing adds no page")
        << QList<int>{l, -p, l} << QStringList{"842x595", "842x595"};
}

void TestSurfacePages::jobsBecomePages() {
    QFETCH(QList<int>, orientations);
    QFETCH(QStringList, sizes);

    const QString path = dir_.filePath(QTest::currentDataTag() + QStringLiteral(".pdf"));
    {
        QPdfWriter writer(path);
        PainterSurface surface(&writer);
        surface.setPagesInOneDocument(true);
        for (int o : orientations) {
            runJob(surface, qAbs(o), o > 0);
            if (QTest::currentTestFailed()) return;
        }
        QCOMPARE(surface.pagesBegun(), sizes.size());
        QVERIFY(surface.endDocument());
        QVERIFY(surface.endDocument());  // a second close has nothing left to do
    }
    QCOMPARE(pageSizes(path), sizes);
}

void TestSurfacePages::eachJobIsADocumentByDefault() {
    const QString path = dir_.filePath("default.pdf");
    QPdfWriter writer(path);
    PainterSurface surface(&writer);
    QVERIFY(!surface.pagesInOneDocument());
    runJob(surface, pobelo::kOrientationLandscape, true);
    // The file is complete as soon as the job ended, without endDocument.
    QCOMPARE(pageSizes(path), QStringList{"842x595"});
}

void TestSurfacePages::laterPagesAreDrawnLikeTheFirst() {
    // The same text at the same twips lands at the same place on each page, whichever way the
    // page stands: the twip scale and the page origin carry over to the new page.
    const QString path = dir_.filePath("placement.pdf");
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        PainterSurface surface(&writer);
        QVERIFY(surface.setFontName("IPAexGothic"));
        QVERIFY(surface.setFontSize(15));
        surface.setPagesInOneDocument(true);
        runJob(surface, pobelo::kOrientationPortrait, true);
        runJob(surface, pobelo::kOrientationLandscape, true);
        runJob(surface, pobelo::kOrientationPortrait, true);
        // Turning the option off closes the open document.
        surface.setPagesInOneDocument(false);
    }
    const QRectF first = firstWordBox(path, 1);
    QVERIFY(!first.isEmpty());
    QVERIFY2(qAbs(first.left() - 72) < 1, qPrintable(QString::number(first.left())));
    for (int page = 2; page <= 3; ++page) {
        const QRectF box = firstWordBox(path, page);
        QVERIFY2(qAbs(box.left() - first.left()) < 0.5 && qAbs(box.top() - first.top()) < 0.5,
                 qPrintable(QStringLiteral("page %1: %2,%3 against %4,%5")
                                .arg(page)
                                .arg(box.left())
                                .arg(box.top())
                                .arg(first.left())
                                .arg(first.top())));
    }
}

void TestSurfacePages::turnedGlyphsKeepTheirCellsAndPages() {
    // Characters of a vertical face printed one call at a time, with other faces, lines and the
    // end of a job between them: each lands in its own cell on its own page. (No characters that
    // share their glyph with a radical: the text read back could give the radical.)
    struct Cell {
        int page;
        QString face, text;
        int x, y;
    };
    const QList<Cell> cells{
        {1, "@IPAexMincho", "春", 1000, 2000}, {1, "@IPAexMincho", "夏", 4000, 2000},
        {1, "@IPAexMincho", "秋", 7000, 2000}, {1, "@IPAexGothic", "冬", 1000, 5000},
        {2, "@IPAexGothic", "朝", 4000, 5000}, {2, "@IPAexMincho", "晩", 7000, 5000}};
    const QString path = dir_.filePath("turned.pdf");
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        PainterSurface surface(&writer);
        surface.setPagesInOneDocument(true);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const Cell& c = cells[i];
            if (i > 0 && cells[i - 1].page != c.page) QVERIFY(surface.endDoc());
            QVERIFY(surface.setFontName(c.face));
            QVERIFY(surface.setCurrentX(c.x));
            QVERIFY(surface.setCurrentY(c.y));
            QVERIFY(surface.printText(c.text));
            if (c.text == "夏") QVERIFY(surface.drawLine(200, 200, 5000, 200, 0));
        }
        QVERIFY(surface.endDoc());
        QVERIFY(surface.endDocument());
    }
    for (int page = 1; page <= 2; ++page) {
        QStringList expected, found;
        for (const Cell& c : cells)
            if (c.page == page) expected << c.text;
        for (const auto& [text, box] : pageWords(path, page)) {
            found << text;
            for (const Cell& c : cells) {
                if (c.text != text) continue;
                QVERIFY2(
                    qAbs(box.left() - c.x) < 20 && qAbs(box.top() - c.y) < 20,
                    qPrintable(
                        QStringLiteral("%1 at %2,%3").arg(text).arg(box.left()).arg(box.top())));
            }
        }
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }
}

void TestSurfacePages::settingAnotherDeviceClosesTheDocument() {
    const QString path = dir_.filePath("switch.pdf");
    QPdfWriter writer(path);
    QPdfWriter other(dir_.filePath("other.pdf"));
    PainterSurface surface(&writer);
    surface.setPagesInOneDocument(true);
    runJob(surface, pobelo::kOrientationPortrait, true);
    runJob(surface, pobelo::kOrientationPortrait, true);
    QCOMPARE(surface.pagesBegun(), 2);
    surface.setDevice(&other);
    QCOMPARE(surface.pagesBegun(), 0);
    QCOMPARE(pageSizes(path).size(), 2);
    surface.setDevice(nullptr);
}

QTEST_MAIN(TestSurfacePages)
#include "test_surfacepages.moc"
