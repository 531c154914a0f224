// The faces a PDF file of the painter surface embeds: each face once, whether its text is drawn
// upright (a QFont) or in vertical writing (glyph runs of a QRawFont), under a name that a PDF
// reader takes (printable ASCII, as PDF names are). On Windows, Qt's own font engines embedded one
// face twice, as "IPA??Regular" and with raw UTF-8 in the name.

#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "paintersurface.h"
#include "testtools.h"

using pobelo::PainterSurface;
using namespace pobelo::test;

namespace {

// The names after /BaseFont and /FontName, and the font programs the file holds (the objects
// that /FontFile2 refers to), each once.
struct EmbeddedFonts {
    QStringList names;
    QStringList programs;
};

EmbeddedFonts embeddedFonts(const QByteArray& pdf) {
    EmbeddedFonts fonts;
    static const QRegularExpression name(
        QStringLiteral("/(?:BaseFont|FontName)\\s*/([^\\s/<>\\[\\]()]+)"));
    static const QRegularExpression program(QStringLiteral("/FontFile2\\s+(\\d+)\\s+0\\s+R"));
    const QString text = QString::fromLatin1(pdf);
    for (auto it = name.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured(1);
        if (!fonts.names.contains(found)) fonts.names << found;
    }
    for (auto it = program.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured(1);
        if (!fonts.programs.contains(found)) fonts.programs << found;
    }
    return fonts;
}

}  // namespace

class TestPdfFonts : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void eachFaceOnceUnderAnAsciiName_data() {
        QTest::addColumn<QStringList>("faces");  // each prints a sentence, in turn
        QTest::addColumn<int>("programs");
        QTest::newRow("vertical and upright writing in one face")
            << QStringList{"@IPAexMincho", "IPAexMincho"} << 1;
        QTest::newRow("vertical writing only") << QStringList{"@IPAexMincho"} << 1;
        QTest::newRow("two faces") << QStringList{"@IPAexMincho", "IPAexGothic"} << 2;
    }
    void eachFaceOnceUnderAnAsciiName() {
        QFETCH(QStringList, faces);
        QFETCH(int, programs);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("faces.pdf"));
        {
            QPdfWriter writer(path);
            PainterSurface surface(&writer);
            QVERIFY(surface.setPaperSize(pobelo::kPaperA4));
            float x = 9000;
            for (const QString& face : faces) {
                QVERIFY(surface.setFontName(face));
                QVERIFY2(surface.faceNote().isEmpty(), qPrintable(surface.faceNote()));
                QVERIFY(surface.setFontSize(14));
                QVERIFY(surface.setCurrentX(x));
                QVERIFY(surface.setCurrentY(1440));
                QVERIFY(surface.printText(QStringLiteral("漢字の書き取り、第12回。")));
                x -= 1440;
            }
            QVERIFY(surface.endDoc());
        }
        const EmbeddedFonts fonts = embeddedFonts(readAll(path));
        const QString names = fonts.names.join(u' ');
        QVERIFY2(fonts.programs.size() == programs, qPrintable(names));
        static const QRegularExpression pdfName(QStringLiteral("^[!-~]+$"));
        for (const QString& name : fonts.names) {
            QVERIFY2(pdfName.match(name).hasMatch() && !name.contains(u'?'), qPrintable(names));
        }
    }
};

QTEST_MAIN(TestPdfFonts)
#include "test_pdffonts.moc"
