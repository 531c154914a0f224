// How texts are cut into the characters a sheet counts and how each stands in a column.

#include <QtTest>

#include "textruns.h"

using namespace pobelo;

class TestTextRuns : public QObject {
    Q_OBJECT

  private slots:
    void cells_data();
    void cells();
};

void TestTextRuns::cells_data() {
    QTest::addColumn<QString>("text");
    // Each character in its drawn form, marked by how it stands: V vertical, U upright, S
    // sideways; "|" between the pieces a column is drawn in.
    QTest::addColumn<QString>("pieces");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("kanji and kana, one piece") << "漢字テスト"
                                               << "V漢V字VテVスVト";
    QTest::newRow("kanji beyond the BMP") << "𠮟る𩸽"
                                          << "V𠮟VるV𩸽";
    QTest::newRow("variation selector stays with its kanji")
        << u"葛\U000E0100城"_qs << u"V葛\U000E0100V城"_qs;
    QTest::newRow("combining voiced mark") << u"か\u3099き"_qs << u"Vか\u3099Vき"_qs;
    QTest::newRow("half-width katakana") << "ﾗｰﾒﾝ"
                                         << "VラVーVメVン";
    QTest::newRow("half-width voiced kana joined") << "ｶﾞｯｺｳ"
                                                   << "VガVッVコVウ";
    QTest::newRow("semi-voiced and vu") << "ﾊﾟｳﾞ"
                                        << "VパVヴ";
    QTest::newRow("mark without a precomposed kana") << "ｱﾞ"
                                                     << "VアV゛";
    QTest::newRow("mark alone") << "ﾟ"
                                << "V゜";
    QTest::newRow("half-width signs") << "｢ｶﾅ｣､｡"
                                      << "V「VカVナV」V、V。";
    QTest::newRow("half-width brackets turn") << "(ｶﾅ)"
                                              << "V（VカVナV）";
    QTest::newRow("lone letter upright") << "A"
                                         << "UA";
    QTest::newRow("Latin run one per cell") << "NHK"
                                            << "UN|UH|UK";
    QTest::newRow("digits one per cell") << "①12"
                                         << "V①|U1|U2";
    QTest::newRow("year") << "2024年"
                          << "U2|U0|U2|U4|V年";
    QTest::newRow("Latin beyond ASCII") << "é"
                                        << "Ué";
    QTest::newRow("full-width letters vertical") << "ＣＤ"
                                                 << "VＣVＤ";
    QTest::newRow("hyphen and space sideways") << "a-b c"
                                               << "Ua|S-|Ub|S |Uc";
}

void TestTextRuns::cells() {
    QFETCH(QString, text);
    QFETCH(QString, pieces);
    QStringList drawn;
    QString source;
    qsizetype count = 0;
    for (const ColumnPiece& piece : columnPieces(text)) {
        QString part;
        for (const QString& cell : piece.cells) {
            QCOMPARE(cellSetting(cell) == CellSetting::Upright,
                     piece.setting == CellSetting::Upright);
            part += QStringLiteral("VUS").at(int(piece.setting)) + cell;
        }
        drawn.append(part);
        source += piece.sources.join(QString());
        QCOMPARE(piece.sources.size(), piece.cells.size());
        count += piece.cells.size();
    }
    QCOMPARE(drawn.join(u'|'), pieces);
    QCOMPARE(source, text);  // the pieces cover the text, in order, without gaps
    QCOMPARE(cellCount(text), count);
    QCOMPARE(textCells(text).join(QString()), text);
}

QTEST_APPLESS_MAIN(TestTextRuns)
#include "test_textruns.moc"
