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
    for (const char* f : {"IPAMincho", "IPAPMincho", "IPAexMincho", "IPAGothic", "IPAPGothic",
                          "IPAexGothic", "Klee One", "BIZ UDMincho", "BIZ UDPGothic"}) {
        if (!fonts.contains(f)) QSKIP("the fonts the install script brings are needed");
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
    QTest::addColumn<bool>("substituted");  // printed in another face than the one named

    // Windows faces, full-width and ASCII spellings, with and without the vertical mark.
    QTest::newRow("ＭＳ 明朝") << "ＭＳ 明朝"
                               << "IPAMincho" << true;
    QTest::newRow("@ＭＳ 明朝") << "@ＭＳ 明朝"
                                << "IPAMincho" << true;
    QTest::newRow("ＭＳ Ｐ明朝") << "ＭＳ Ｐ明朝"
                                 << "IPAPMincho" << true;
    QTest::newRow("ＭＳ ゴシック") << "ＭＳ ゴシック"
                                   << "IPAGothic" << true;
    QTest::newRow("ＭＳ Ｐゴシック") << "ＭＳ Ｐゴシック"
                                     << "IPAPGothic" << true;
    QTest::newRow("@ＭＳ Ｐゴシック") << "@ＭＳ Ｐゴシック"
                                      << "IPAPGothic" << true;
    QTest::newRow("full-width space") << "ＭＳ　Ｐ明朝"
                                      << "IPAPMincho" << true;
    QTest::newRow("MS Mincho") << "MS Mincho"
                               << "IPAMincho" << true;
    QTest::newRow("MS PMincho") << "MS PMincho"
                                << "IPAPMincho" << true;
    QTest::newRow("MS Gothic") << "MS Gothic"
                               << "IPAGothic" << true;
    QTest::newRow("@MS PGothic") << "@MS PGothic"
                                 << "IPAPGothic" << true;
    QTest::newRow("ms gothic, other case") << "ms gothic"
                                           << "IPAGothic" << true;
    QTest::newRow("ＭＳ ＵＩ Gothic") << "ＭＳ ＵＩ Gothic"
                                      << "IPAPGothic" << true;
    QTest::newRow("MS UI Gothic") << "MS UI Gothic"
                                  << "IPAPGothic" << true;
    QTest::newRow("メイリオ") << "メイリオ"
                              << "IPAexGothic" << true;
    QTest::newRow("Meiryo UI") << "Meiryo UI"
                               << "IPAexGothic" << true;
    QTest::newRow("游明朝") << "游明朝"
                            << "IPAexMincho" << true;
    // Faces known only by the words in their names.
    QTest::newRow("HG明朝E") << "HG明朝E"
                             << "IPAMincho" << true;
    QTest::newRow("HGPゴシックM") << "HGPゴシックM"
                                  << "IPAPGothic" << true;
    QTest::newRow("half-width katakana") << "HG丸ｺﾞｼｯｸM-PRO"
                                         << "IPAPGothic" << true;
    // Installed families resolve to themselves, whatever their spelling.
    QTest::newRow("IPAexGothic") << "IPAexGothic"
                                 << "IPAexGothic" << false;
    QTest::newRow("@IPAexMincho") << "@IPAexMincho"
                                  << "IPAexMincho" << false;
    QTest::newRow("lower case") << "ipapmincho"
                                << "IPAPMincho" << false;
    QTest::newRow("Japanese name") << "IPAex明朝"
                                   << "IPAexMincho" << false;
    QTest::newRow("Japanese name, gothic") << "IPA Pゴシック"
                                           << "IPAPGothic" << false;
    // Textbook, kaisho and brush faces print in a textbook-like face.
    QTest::newRow("@HG教科書体") << "@HG教科書体"
                                 << "Klee One" << true;
    QTest::newRow("UD デジタル 教科書体 N-R") << "UD デジタル 教科書体 N-R"
                                              << "Klee One" << true;
    QTest::newRow("HG正楷書体-PRO") << "HG正楷書体-PRO"
                                    << "Klee One" << true;
    QTest::newRow("HG行書体") << "HG行書体"
                              << "Klee One" << true;
    // Any name of an installed font that writes Japanese, in any language.
    QTest::newRow("@BIZ UD明朝") << "@BIZ UD明朝"
                                 << "BIZ UDMincho" << false;
    QTest::newRow("BIZ UDPゴシック") << "BIZ UDPゴシック"
                                     << "BIZ UDPGothic" << false;
    QTest::newRow("Klee One") << "Klee One"
                              << "Klee One" << false;
    QTest::newRow("クレー One") << "クレー One"
                                << "Klee One" << false;
    // Anything else prints in a Japanese font, never in a Latin one.
    QTest::newRow("unknown") << "Nowhere Face"
                             << "IPAexMincho" << true;
    QTest::newRow("@unknown") << "@xyz"
                              << "IPAexMincho" << true;
    QTest::newRow("Latin font") << "Arial"
                                << "IPAexMincho" << true;
    QTest::newRow("sans-serif Latin font") << "DejaVu Sans"
                                           << "IPAGothic" << true;
    QTest::newRow("empty") << ""
                           << "IPAexMincho" << true;
    QTest::newRow("only the mark") << "@"
                                   << "IPAexMincho" << true;
}

void TestFontResolver::resolve() {
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(bool, substituted);
    const pobelo::ResolvedFace face = pobelo::resolveFace(name);
    QCOMPARE(face.family, family);
    const QString note = pobelo::faceNote(name, face);
    QCOMPARE(!note.isEmpty(), substituted);
    if (substituted)
        QVERIFY2(note.startsWith(name + " ") && note.endsWith(" " + family), qPrintable(note));
}

void TestFontResolver::japaneseFamiliesWriteJapanese() {
    const QStringList families = pobelo::japaneseFontFamilies();
    QVERIFY(!families.isEmpty());
    for (const QString& f : families) {
        QVERIFY2(!f.startsWith('@'), qPrintable(f));
        QCOMPARE(pobelo::resolveFaceName(f), f);
        QCOMPARE(pobelo::resolveFaceName("@" + f), f);
    }
    QVERIFY(!families.contains("DejaVu Sans"));
    QVERIFY(families.contains("Klee One"));  // outside Qt's Japanese writing-system list
    QCOMPARE(pobelo::faceNote("@HG教科書体", pobelo::resolveFace("@HG教科書体")),
             "@HG教科書体 is not installed: printed in Klee One");
}

QTEST_MAIN(TestFontResolver)
#include "test_fontresolver.moc"
