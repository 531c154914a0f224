// The tables that stand in for ICU where it is not at hand (Windows) must agree with ICU here,
// where the reader and the vertical text use ICU's answers. After an ICU update this fails until
// tools/generate-tables is run again.
#include <unicode/uchar.h>

#include <QRandomGenerator>
#include <QtTest>

#include "cp932decoder.h"
#include "verticaltext.h"

class GeneratedTablesTest : public QObject {
    Q_OBJECT

    template <typename Decoder>
    static QString decode(QByteArrayView bytes, qsizetype chunk) {
        Decoder decoder;
        QString out;
        for (qsizetype at = 0; at < bytes.size(); at += chunk)
            decoder.decode(bytes.sliced(at, std::min(chunk, bytes.size() - at)), out);
        decoder.finish(out);
        return out;
    }

  private slots:
    void cp932TableDecodesAsIcu() {
        // Every byte and every pair, each followed by a byte that may be a lead byte itself, then
        // random text cut into chunks of every small size (a lead byte ends many of them).
        QByteArray all;
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) all.append(char(a)).append(char(b)).append('\x81');
        }
        QCOMPARE(decode<pobelo::Cp932TableDecoder>(all, all.size()),
                 decode<pobelo::Cp932IcuDecoder>(all, all.size()));
        QRandomGenerator random(932);
        for (int round = 0; round < 64; ++round) {
            QByteArray text(4096, Qt::Uninitialized);
            for (char& c : text) c = char(random.bounded(256));
            const qsizetype chunk = 1 + round % 7;
            QCOMPARE(decode<pobelo::Cp932TableDecoder>(text, chunk),
                     decode<pobelo::Cp932IcuDecoder>(text, 4096));
        }
    }

    void wideCharactersAsIcu() {
        for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
            const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
            const bool wide =
                width == U_EA_FULLWIDTH || width == U_EA_WIDE || width == U_EA_AMBIGUOUS;
            if (pobelo::isWideCharacter(char32_t(c)) != wide)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0'))));
        }
    }
};

QTEST_GUILESS_MAIN(GeneratedTablesTest)
#include "test_generatedtables.moc"
