// Face names from question files and the font dialog mapped onto installed Japanese fonts.

#include <QFontDatabase>
#include <QtTest>

#include "fontresolver.h"

class TestFontResolver : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void verticalMark_data();
    void verticalMark();
    void resolve_data();
    void resolve();
    void japaneseFamiliesWriteJapanese();
};

void TestFontResolver::initTestCase() {
    const QStringList fonts = pobelo::japaneseFontFamilies();
    for (const char* f :
         {"IPAMincho", "IPAPMincho", "IPAexMincho", "IPAGothic", "IPAPGothic", "IPAexGothic"}) {
        if (!fonts.contains(f)) QSKIP("the IPA fonts are needed");
    }
}

void TestFontResolver::verticalMark_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QString>("stripped");

    QTest::newRow("vertical") << "@ＭＳ 明朝" << true << "ＭＳ 明朝";
    QTest::newRow("upright") << "ＭＳ 明朝" << false << "ＭＳ 明朝";
    QTest::newRow("full-width at sign is no mark") << "＠ＭＳ 明朝" << false << "＠ＭＳ 明朝";
    QTest::newRow("only the first mark") << "@@x" << true << "@x";
    QTest::newRow("empty") << "" << false << "";
}

void TestFontResolver::verticalMark() {
    QFETCH(QString, name);
    QFETCH(bool, vertical);
    QFETCH(QString, stripped);
    QCOMPARE(pobelo::isVerticalFaceName(name), vertical);
    QCOMPARE(pobelo::stripVerticalMark(name), stripped);
}

void TestFontResolver::resolve_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");

    // Windows faces, full-width and ASCII spellings, with and without the vertical mark.
    QTest::newRow("ＭＳ 明朝") << "ＭＳ 明朝"
                               << "IPAMincho";
    QTest::newRow("@ＭＳ 明朝") << "@ＭＳ 明朝"
                                << "IPAMincho";
    QTest::newRow("ＭＳ Ｐ明朝") << "ＭＳ Ｐ明朝"
                                 << "IPAPMincho";
    QTest::newRow("ＭＳ ゴシック") << "ＭＳ ゴシック"
                                   << "IPAGothic";
    QTest::newRow("ＭＳ Ｐゴシック") << "ＭＳ Ｐゴシック"
                                     << "IPAPGothic";
    QTest::newRow("@ＭＳ Ｐゴシック") << "@ＭＳ Ｐゴシック"
                                      << "IPAPGothic";
    QTest::newRow("full-width space") << "ＭＳ　Ｐ明朝"
                                      << "IPAPMincho";
    QTest::newRow("MS Mincho") << "MS Mincho"
                               << "IPAMincho";
    QTest::newRow("MS PMincho") << "MS PMincho"
                                << "IPAPMincho";
    QTest::newRow("MS Gothic") << "MS Gothic"
                               << "IPAGothic";
    QTest::newRow("@MS PGothic") << "@MS PGothic"
                                 << "IPAPGothic";
    QTest::newRow("ms gothic, other case") << "ms gothic"
                                           << "IPAGothic";
    QTest::newRow("ＭＳ ＵＩ Gothic") << "ＭＳ ＵＩ Gothic"
                                      << "IPAPGothic";
    QTest::newRow("MS UI Gothic") << "MS UI Gothic"
                                  << "IPAPGothic";
    QTest::newRow("メイリオ") << "メイリオ"
                              << "IPAexGothic";
    QTest::newRow("Meiryo UI") << "Meiryo UI"
                               << "IPAexGothic";
    QTest::newRow("游明朝") << "游明朝"
                            << "IPAexMincho";
    // Faces known only by the words in their names.
    QTest::newRow("HG明朝E") << "HG明朝E"
                             << "IPAMincho";
    QTest::newRow("HGPゴシックM") << "HGPゴシックM"
                                  << "IPAPGothic";
    QTest::newRow("half-width katakana") << "HG丸ｺﾞｼｯｸM-PRO"
                                         << "IPAPGothic";
    // Installed families resolve to themselves, whatever their spelling.
    QTest::newRow("IPAexGothic") << "IPAexGothic"
                                 << "IPAexGothic";
    QTest::newRow("@IPAexMincho") << "@IPAexMincho"
                                  << "IPAexMincho";
    QTest::newRow("lower case") << "ipapmincho"
                                << "IPAPMincho";
    QTest::newRow("Japanese name") << "IPAex明朝"
                                   << "IPAexMincho";
    QTest::newRow("Japanese name, gothic") << "IPA Pゴシック"
                                           << "IPAPGothic";
    // Anything else prints in a Japanese font, never in a Latin one.
    QTest::newRow("unknown") << "Nowhere Face"
                             << "IPAexMincho";
    QTest::newRow("@unknown") << "@xyz"
                              << "IPAexMincho";
    QTest::newRow("Latin font") << "Arial"
                                << "IPAexMincho";
    QTest::newRow("sans-serif Latin font") << "DejaVu Sans"
                                           << "IPAGothic";
    QTest::newRow("empty") << ""
                           << "IPAexMincho";
    QTest::newRow("only the mark") << "@"
                                   << "IPAexMincho";
}

void TestFontResolver::resolve() {
    QFETCH(QString, name);
    QFETCH(QString, family);
    QCOMPARE(pobelo::resolveFaceName(name), family);
}

void TestFontResolver::japaneseFamiliesWriteJapanese() {
    const QStringList families = pobelo::japaneseFontFamilies();
    QVERIFY(!families.isEmpty());
    for (const QString& f : families) {
        QVERIFY2(!f.startsWith('@'), qPrintable(f));
        QVERIFY2(QFontDatabase::writingSystems(f).contains(QFontDatabase::Japanese), qPrintable(f));
        QCOMPARE(pobelo::resolveFaceName(f), f);
        QCOMPARE(pobelo::resolveFaceName("@" + f), f);
    }
    QVERIFY(!families.contains("DejaVu Sans"));
}

QTEST_MAIN(TestFontResolver)
#include "test_fontresolver.moc"
