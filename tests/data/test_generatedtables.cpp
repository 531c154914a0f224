// The code page 932 table that stands in for ICU where it is not at hand (Windows) must agree with
// ICU here, where the reader uses ICU's decoder. After an ICU update this fails until
// tools/generate-tables is run again.
#include <QRandomGenerator>
#include <QtTest>

#include "cp932decoder.h"

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
};

QTEST_GUILESS_MAIN(GeneratedTablesTest)
#include "test_generatedtables.moc"
