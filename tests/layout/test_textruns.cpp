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
    // Format characters show nothing and take no cell: they go with the character before them,
    // or the first after them, which decides how the cell stands.
    QTest::newRow("zero-width space") << u"a\u200Bb"_qs << u"Ua\u200B|Ub"_qs;
    QTest::newRow("right-to-left override") << u"漢\u202E字"_qs << u"V漢\u202EV字"_qs;
    QTest::newRow("soft hyphen") << u"漢\u00AD字"_qs << u"V漢\u00ADV字"_qs;
    QTest::newRow("format character first") << u"\u200Ea漢"_qs << u"U\u200Ea|V漢"_qs;
    QTest::newRow("format characters alone") << u"\u200B\u200E"_qs << "";
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
    // The pieces cover the text, in order, without gaps, unless it shows nothing at all.
    const QString covered = pieces.isEmpty() ? QString() : text;
    QCOMPARE(source, covered);
    QCOMPARE(cellCount(text), count);
    QCOMPARE(textCells(text).join(QString()), covered);
}

QTEST_APPLESS_MAIN(TestTextRuns)
#include "test_textruns.moc"
