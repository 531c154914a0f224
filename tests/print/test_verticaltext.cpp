// Width classes and vertical shaping of the vertical-writing faces.

#include <QRawFont>
#include <QtTest>

#include "fontresolver.h"
#include "verticaltext.h"

using pobelo::VerticalShaper;

class TestVerticalText : public QObject {
    Q_OBJECT

  private slots:
    void verticalForms_data();
    void verticalForms();
    void columnFillsOneEmPerCharacter();

  private:
    static QRawFont rawFont(const QString& family, qreal pixels);
};

QRawFont TestVerticalText::rawFont(const QString& family, qreal pixels) {
    QRawFont raw = QRawFont::fromFont(QFont(family));
    if (raw.isValid()) raw.setPixelSize(pixels);
    return raw;
}

void TestVerticalText::verticalForms_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("presentationForm");  // the character of the vertical form, if any
    QTest::addColumn<bool>("changes");

    for (const char* family : {"IPAexMincho", "IPAGothic"}) {
        const QByteArray f(family);
        QTest::newRow(f + " 「") << family << "「"
                                 << "﹁" << true;
        QTest::newRow(f + " 」") << family << "」"
                                 << "﹂" << true;
        QTest::newRow(f + " 。") << family << "。"
                                 << "︒" << true;
        QTest::newRow(f + " 、") << family << "、"
                                 << "︑" << true;
        QTest::newRow(f + " （") << family << "（"
                                 << "︵" << true;
        QTest::newRow(f + " ー") << family << "ー"
                                 << "" << true;
        QTest::newRow(f + " ～") << family << "～"
                                 << "" << true;
        QTest::newRow(f + " 漢") << family << "漢"
                                 << "" << false;
    }
}

void TestVerticalText::verticalForms() {
    QFETCH(QString, family);
    QFETCH(QString, text);
    QFETCH(QString, presentationForm);
    QFETCH(bool, changes);

    if (!pobelo::japaneseFontFamilies().contains(family)) QSKIP("font not installed");
    const QRawFont raw = rawFont(family, 300);
    QVERIFY(raw.isValid());
    const VerticalShaper shaper(raw);
    QVERIFY(shaper.isValid());

    const QList<quint32> upright = raw.glyphIndexesForString(text);
    const VerticalShaper::Column column = shaper.shape(text);
    QCOMPARE(column.glyphs.size(), 1);
    QVERIFY(column.glyphs[0] != 0);
    QCOMPARE(column.glyphs[0] != upright[0], changes);
    if (!presentationForm.isEmpty() && raw.supportsCharacter(presentationForm.at(0)))
        QCOMPARE(column.glyphs[0], raw.glyphIndexesForString(presentationForm)[0]);
}

void TestVerticalText::columnFillsOneEmPerCharacter() {
    const QString family = pobelo::resolveFaceName("IPAexMincho");
    if (family != "IPAexMincho") QSKIP("IPAexMincho not installed");
    const qreal em = 300;
    const VerticalShaper shaper(rawFont(family, em));
    const VerticalShaper::Column column = shaper.shape("漢字かな");
    QCOMPARE(column.glyphs.size(), 4);
    QCOMPARE(column.length, 4 * em);
    for (int i = 0; i < 4; ++i) {
        // Centred on the column, each glyph's baseline a little above the bottom of its em box.
        QCOMPARE(column.positions[i].x(), -em / 2);
        QVERIFY(column.positions[i].y() > i * em + em / 2);
        QVERIFY(column.positions[i].y() < (i + 1) * em);
    }
    QVERIFY(shaper.shape(QString()).glyphs.isEmpty());
}

QTEST_MAIN(TestVerticalText)
#include "test_verticaltext.moc"
