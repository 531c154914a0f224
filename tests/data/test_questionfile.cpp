#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "mojfile.h"
#include "questionfile.h"

using namespace pobelo;

namespace {

// CP932 bytes of text (the tests' own Japanese is plain JIS X 0208).
QByteArray cp932(const QString& text) {
    return pobelo::test::cp932Bytes(text);
}

// Fields first..42 unquoted as "f<n>", each ended by sep (the last by CR LF).
QByteArray fieldsFrom(int first, const QByteArray& sep = ",") {
    QByteArray out;
    for (int i = first; i < slot::kFieldsPerRecord; ++i) {
        out += "f" + QByteArray::number(i) + (i + 1 < slot::kFieldsPerRecord ? sep : "\r\n");
    }
    return out;
}

// A whole record, every field quoted, heading "見出し<n>".
QByteArray record(int n, const QByteArray& tag = "") {
    QByteArray out = "\"" + cp932(QStringLiteral("見出し%1").arg(n)) + tag + "\"";
    for (int i = 1; i < slot::kFieldsPerRecord; ++i) {
        out += ",\"" + tag + QByteArray::number(n) + "." + QByteArray::number(i) + "\"";
    }
    return out + "\r\n";
}

QByteArray manyRecords(int count, const QByteArray& tag = "") {
    QByteArray out;
    for (int n = 0; n < count; ++n) out += record(n, tag);
    return out;
}

struct Loaded {
    LoadResult result;
    QStringList headings;
};

Loaded load(const QString& path, QuestionTable& table) {
    Loaded loaded;
    loaded.result = loadQuestionFile(path, table, [&](const QString& h) { loaded.headings << h; });
    return loaded;
}

// Serves the given bytes and then counts how far it was read; optionally fails at failAt.
class CountingDevice : public QIODevice {
  public:
    CountingDevice(QByteArray head, qint64 total, qint64 failAt = -1)
        : head_(std::move(head)), total_(total), failAt_(failAt) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 served() const { return pos_; }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 max) override {
        if (failAt_ >= 0 && pos_ >= failAt_) return -1;
        const qint64 end = failAt_ >= 0 ? std::min(total_, failAt_) : total_;
        const qint64 n = std::min(max, end - pos_);
        for (qint64 i = 0; i < n; ++i, ++pos_) {
            // Past the head: more records of the same shape, for as long as the device lasts.
            data[i] = head_[pos_ % head_.size()];
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray head_;
    qint64 total_;
    qint64 failAt_;
    qint64 pos_ = 0;
};

}  // namespace

class TestQuestionFile : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    std::unique_ptr<QuestionTable> table_ = std::make_unique<QuestionTable>();

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("q.moj")) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(cp932DecoderAvailable());
    }

    void fields_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");  // the first fields of record 0
        const QByteArray rest = fieldsFrom(3);
        QTest::newRow("quoted commas")
            << "\"a,b\",c,\"d,,e\"," + rest << QStringList{"a,b", "c", "d,,e"};
        QTest::newRow("quoted line break")
            << "\"one\r\ntwo\",\"x\ny\",z," + rest << QStringList{"one\r\ntwo", "x\ny", "z"};
        QTest::newRow("text after closing quote skipped")
            << "\"ab\"cd\"e,\"f\" ,g," + rest << QStringList{"ab", "f", "g"};
        QTest::newRow("leading spaces skipped")
            << "  a,   \"  b \",  c  ," + rest << QStringList{"a", "  b ", "c"};
        QTest::newRow("trailing spaces of unquoted fields dropped")
            << "a b   ,   ," + cp932(QStringLiteral("漢　")) + "," + rest
            << QStringList{"a b", "", QStringLiteral("漢　")};
        QTest::newRow("empty fields") << ",\"\",," + rest << QStringList{"", "", ""};
        QTest::newRow("LF ends fields")
            << "a\nb\n\"c\"\n" + fieldsFrom(3, "\n") << QStringList{"a", "b", "c"};
        QTest::newRow("CR ends fields")
            << "a\rb\r\"c\"\r" + fieldsFrom(3, "\r") << QStringList{"a", "b", "c"};
        QTest::newRow("CR LF is one line end")
            << "a\r\nb\r\n\"c\"\r\n" + fieldsFrom(3, "\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("LF CR is two line ends")
            << "a\n\rb," + fieldsFrom(3) << QStringList{"a", "", "b"};
        QTest::newRow("record over several lines")
            << "a,b\r\nc,f3,f4\r\nf5\r\n" + fieldsFrom(6) << QStringList{"a", "b", "c"};
        QTest::newRow("unclosed quote runs to the end")
            << "\"" + fieldsFrom(0) << QStringList{QString::fromLatin1(fieldsFrom(0))};
    }

    void fields() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        const Loaded loaded = load(write(bytes), *table_);
        if (expected.size() == 1) {  // the whole file went into the first field
            QCOMPARE(loaded.result.status, LoadStatus::Incomplete);
            QCOMPARE(table_->at(0, 0), expected[0]);
            QVERIFY(loaded.headings.isEmpty());
            return;
        }
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QCOMPARE(loaded.result.recordCount, 1.0f);
        QCOMPARE(loaded.headings, QStringList{expected[0]});
        for (int i = 0; i < expected.size(); ++i) QCOMPARE(table_->at(0, i), expected[i]);
        for (int i = 3; i < slot::kFieldsPerRecord; ++i)
            QCOMPARE(table_->at(0, i), "f" + QString::number(i));
    }

    // The tested bytes are the last field, with no line end after them.
    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("circled one and wave dash")
            << QByteArray("\x87\x40\x81\x60") << QStringLiteral("\u2460\uFF5E");
        QTest::newRow("kanji and half-width kana")
            << QByteArray("\x8a\xbf\x8e\x9a\xb1") << QStringLiteral("漢字\uFF71");
        QTest::newRow("undecodable single bytes")
            << QByteArray("a\x80x\xa0y\xfd\xffz") << QStringLiteral("a\uFFFDx\uFFFDy\uFFFD\uFFFDz");
        QTest::newRow("lead byte with bad trail byte")
            << QByteArray("\x88 a") << QStringLiteral("\uFFFD a");
        QTest::newRow("unassigned pair") << QByteArray("\x85\x40q") << QStringLiteral("\uFFFDq");
        QTest::newRow("control bytes keep their values") << QByteArray(
                                                                "a\x1a\x1c\x7f"
                                                                "b")
                                                         << QStringLiteral("a\u001A\u001C\u007Fb");
        QTest::newRow("lead byte before a control byte")
            << QByteArray("\x88\x1a") << QStringLiteral("\uFFFD\u001A");
        QTest::newRow("lone lead byte at the end")
            << QByteArray("ab\x88") << QStringLiteral("ab\uFFFD");
        QTest::newRow("file of one lone lead byte")
            << QByteArray("\x88") << QStringLiteral("\uFFFD");
    }

    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QByteArray file = fieldsFrom(0);
        file.chop(QByteArray("f42\r\n").size());
        const Loaded loaded = load(write(file + bytes), *table_);
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QCOMPARE(table_->at(0, slot::kFontName), expected);
    }

    // A file saved again by a modern editor is read in its encoding; CP932 files as always. Each
    // file is read from disk and from a device that cannot seek.
    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("font");  // slot 42 of record 0
        auto withFont = [](const QByteArray& font) {
            return fieldsFrom(0).chopped(5) + font + "\r\n";
        };
        const QString kanji = QStringLiteral("漢字");
        const QByteArray utf8 = withFont(kanji.toUtf8());
        QTest::newRow("CP932") << withFont(cp932(kanji)) << TextEncoding::Cp932 << kanji;
        QTest::newRow("ASCII") << withFont("abc") << TextEncoding::Cp932 << "abc";
        QTest::newRow("UTF-8") << utf8 << TextEncoding::Utf8 << kanji;
        QTest::newRow("UTF-8, mark") << "\xEF\xBB\xBF" + utf8 << TextEncoding::Utf8Bom << kanji;
        QTest::newRow("UTF-8, mark, bad byte")
            << "\xEF\xBB\xBF" + withFont("a\xFF") << TextEncoding::Utf8Bom << "a\uFFFD";
        QTest::newRow("UTF-16LE, mark")
            << "\xFF\xFE" +
                   QStringEncoder(QStringConverter::Utf16LE).encode(QString::fromUtf8(utf8))
            << TextEncoding::Utf16LE << kanji;
        QTest::newRow("UTF-16BE, mark")
            << "\xFE\xFF" +
                   QStringEncoder(QStringConverter::Utf16BE).encode(QString::fromUtf8(utf8))
            << TextEncoding::Utf16BE << kanji;
        // UTF-8 "é" until a CP932 "あ" past the first chunk: CP932, "é" as half-width kana.
        QTest::newRow("UTF-8 until a CP932 byte far on")
            << withFont("\xC3\xA9") + QByteArray(70000, 'x') + "\x82\xA0" << TextEncoding::Cp932
            << QStringLiteral("\uFF83\uFF69");
        QTest::newRow("UTF-8 cut short at the end")
            << withFont("ok") + "\xE6\xBC" << TextEncoding::Cp932 << "ok";
    }

    void encodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, font);
        const Loaded loaded = load(write(bytes), *table_);
        QCOMPARE(loaded.result.encoding, encoding);
        // The hash is of the bytes read, each once, though the scan for UTF-8 reads ahead.
        QCOMPARE(loaded.result.sha256,
                 QString::fromLatin1(
                     QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(loaded.headings.value(0), QStringLiteral("f0"));
        QCOMPARE(table_->at(0, slot::kFontName), font);
        table_->set(0, slot::kFontName, QString());
        CountingDevice device(bytes, bytes.size());
        QCOMPARE(loadQuestionDevice(device, *table_, {}).encoding, encoding);
        QCOMPARE(table_->at(0, slot::kFontName), font);
    }

    // The file is read in 64 KiB pieces: a field, a character or a CR LF may straddle two.
    void chunkBoundaries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("first");
        for (const bool quoted : {false, true}) {
            for (int k = 0; k < 6; ++k) {
                const qsizetype pad = 64 * 1024 - 1 - k;
                const QByteArray q = quoted ? "\"" : "";
                QTest::addRow("%s, boundary %d bytes back", quoted ? "quoted" : "unquoted", k)
                    << q + QByteArray(pad, 'a') + "\x8a\xbf" + q + "  \r\n" + fieldsFrom(1)
                    << QString(pad, u'a') + QStringLiteral("漢");
            }
        }
    }

    void chunkBoundaries() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, first);
        const Loaded loaded = load(write(bytes), *table_);
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QCOMPARE(table_->at(0, 0), first);
        QCOMPARE(table_->at(0, 1), QStringLiteral("f1"));
    }

    void records_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("badLine");  // the line told as not one record; 0: none
        QTest::addColumn<int>("badLineFields");
        // Record 1 with one field more, or one less, on its line.
        const QByteArray longer = record(1).chopped(2) + ",\"x\"\r\n";
        const QByteArray shorter = record(1).left(record(1).lastIndexOf(',')) + "\r\n";
        QByteArray broken = record(0);
        broken.replace("\"0.5\"", "\"two\r\nlines\"");
        QTest::newRow("empty file") << QByteArray() << LoadStatus::Complete << 0 << 0 << 0;
        QTest::newRow("one record, no final line end")
            << manyRecords(1).chopped(2) << LoadStatus::Complete << 1 << 0 << 0;
        QTest::newRow("2001 records")
            << manyRecords(2001) << LoadStatus::Complete << 2001 << 0 << 0;
        QTest::newRow("2002 records")
            << manyRecords(2002) << LoadStatus::TooManyRecords << 2001 << 0 << 0;
        QTest::newRow("2005 records")
            << manyRecords(2005) << LoadStatus::TooManyRecords << 2001 << 0 << 0;
        QTest::newRow("last record incomplete") << manyRecords(3) + "\"new\",x,y\r\n"
                                                << LoadStatus::Incomplete << 3 << 4 << 3;
        QTest::newRow("comma after the last field")
            << manyRecords(2).chopped(2) + "," << LoadStatus::Complete << 2 << 0 << 0;
        QTest::newRow("a line of 44 fields")
            << record(0) + longer + record(2) << LoadStatus::Incomplete << 3 << 2 << 44;
        QTest::newRow("a line of 42 fields")
            << record(0) + shorter + record(2) << LoadStatus::Incomplete << 2 << 2 << 42;
        QTest::newRow("a line break in a quoted field, then 44 fields")
            << broken + longer << LoadStatus::Incomplete << 2 << 3 << 44;
    }

    void records() {
        QFETCH(QByteArray, bytes);
        QFETCH(LoadStatus, status);
        QFETCH(int, count);
        QFETCH(int, badLine);
        QFETCH(int, badLineFields);
        for (int i = 0; i < slot::kFieldsPerRecord; ++i) table_->set(3, i, QStringLiteral("stale"));
        const Loaded loaded = load(write(bytes), *table_);
        QCOMPARE(loaded.result.status, status);
        QCOMPARE(loaded.result.recordCount, float(count));
        QCOMPARE(loaded.headings.size(), count);
        QCOMPARE(loaded.result.badLine, badLine);
        QCOMPARE(loaded.result.badLineFields, badLineFields);
        // Records past the table's end and a line of the wrong length are told; nothing else.
        const QStringList notes = loadNotes(loaded.result);
        QCOMPARE(notes.size(), int(status == LoadStatus::TooManyRecords) + int(badLine > 0));
        if (badLine > 0)
            QVERIFY(notes.last().startsWith(
                QStringLiteral("line %1 holds %2 fields").arg(badLine).arg(badLineFields)));
        if (badLine == 0) {
            for (int n = 0; n < count; n += std::max(1, count / 7)) {
                QCOMPARE(loaded.headings[n], QStringLiteral("見出し%1").arg(n));
                QCOMPARE(table_->at(n, slot::kFontName), QStringLiteral("%1.42").arg(n));
            }
        }
        if (bytes.endsWith("y\r\n")) {  // the fields read overwrite the first slots only
            QCOMPARE(table_->at(3, 0), QStringLiteral("new"));
            QCOMPARE(table_->at(3, 2), QStringLiteral("y"));
            QCOMPARE(table_->at(3, 3), QStringLiteral("stale"));
        }
    }

    void reloadKeepsRecordsBeyondTheNewFile() {
        QCOMPARE(load(write(manyRecords(10, "A")), *table_).result.recordCount, 10.0f);
        const Loaded second = load(write(manyRecords(3, "B")), *table_);
        QCOMPARE(second.headings, (QStringList{"見出し0B", "見出し1B", "見出し2B"}));
        QCOMPARE(table_->at(2, 5), QStringLiteral("B2.5"));
        QCOMPARE(table_->at(3, 5), QStringLiteral("A3.5"));
        QCOMPARE(table_->at(9, 42), QStringLiteral("A9.42"));
    }

    void openFailures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<LoadStatus>("status");
        QTest::newRow("missing file") << dir_.filePath("none.moj") << LoadStatus::FileNotFound;
        QTest::newRow("empty path") << QString() << LoadStatus::FileNotFound;
        QTest::newRow("folder") << dir_.path() << LoadStatus::OpenFailed;
    }

    void openFailures() {
        QFETCH(QString, path);
        QFETCH(LoadStatus, status);
        table_->set(0, 0, QStringLiteral("kept"));
        const Loaded loaded = load(path, *table_);
        QCOMPARE(loaded.result.status, status);
        QCOMPARE(loaded.result.recordCount, 0.0f);
        QVERIFY(loaded.headings.isEmpty());
        QCOMPARE(table_->at(0, 0), QStringLiteral("kept"));
    }

    // A file larger than any question file is not read at all, however large; a device is read
    // no further than the bound. At the bound everything is read.
    void sizeBound_data() {
        QTest::addColumn<qint64>("size");  // the file's size, or the device's
        QTest::addColumn<bool>("device");  // served by a device of "x" bytes, not a file
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<int>("headings");
        const qint64 bound = 32 << 20;
        QTest::newRow("file at the bound") << bound << false << LoadStatus::Incomplete << 3;
        QTest::newRow("file one byte past") << bound + 1 << false << LoadStatus::TooLarge << 0;
#ifndef Q_OS_WIN  // a sparse file of 20 GB
        QTest::newRow("sparse file of 20 GB")
            << (qint64(20) << 30) << false << LoadStatus::TooLarge << 0;
#endif
        QTest::newRow("device at the bound") << bound << true << LoadStatus::Incomplete << 0;
        QTest::newRow("device past it") << bound + 100 << true << LoadStatus::TooLarge << 0;
    }
    void sizeBound() {
        QFETCH(qint64, size);
        QFETCH(bool, device);
        QFETCH(LoadStatus, status);
        QFETCH(int, headings);
        QCOMPARE(kMaxQuestionFileBytes, qint64(32) << 20);
        if (device) {
            CountingDevice bytes("x", size);
            const LoadResult result = loadQuestionDevice(bytes, *table_, {});
            QCOMPARE(result.status, status);
            QCOMPARE(bytes.served(), std::min(size, kMaxQuestionFileBytes + 1));
            return;
        }
        // Three records, then NUL bytes to the size: one field of them ends the file.
        const QString path = write(manyRecords(3));
        QVERIFY(QFile::resize(path, size));
        const Loaded loaded = load(path, *table_);
        QCOMPARE(loaded.result.status, status);
        QCOMPARE(loaded.headings.size(), headings);
        QCOMPARE(loaded.result.sha256.isEmpty(), status == LoadStatus::TooLarge);
        // What the window's status line and the script tell.
        if (status == LoadStatus::TooLarge) {
            QCOMPARE(
                loadNotes(loaded.result, true),
                QStringList{"32 MB を超えるファイルは問題ファイルではないため、読み込みません。"});
            QCOMPARE(loadNotes(loaded.result),
                     QStringList{"larger than 32 MB, which no question file is: not read"});
        }
        QVERIFY(QFile::remove(path));
    }

    void sampleFileLoads() {
        const QString path =
            qEnvironmentVariable("POBELO_TEST_DATA") + "/../../examples/sample.moj";
        const Loaded loaded = load(path, *table_);
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QCOMPARE(loaded.headings.size(), 12);
        QStringList fonts;
        for (int r = 0; r < 12; ++r) {
            fonts << table_->at(r, slot::kFontName);
            for (int i = 0; i < 10; ++i) {
                QVERIFY(!table_->at(r, slot::answer(i)).isEmpty());
                QVERIFY(!table_->at(r, slot::askedText(i)).isEmpty());
            }
        }
        QVERIFY(fonts.contains(QStringLiteral("ＭＳ 明朝")));
        QVERIFY(fonts.contains(QStringLiteral("@ＭＳ 明朝")));
        QCOMPARE(fonts.filter(QStringLiteral("ＭＳ 明朝")).size(), 12);
    }

    void stopsReadingWhenTableIsFull() {
        const QByteArray one = manyRecords(1);
        CountingDevice device(one, one.size() * qint64(100000));
        QStringList headings;
        const LoadResult result =
            loadQuestionDevice(device, *table_, [&](const QString& h) { headings << h; });
        QCOMPARE(result.status, LoadStatus::TooManyRecords);
        QCOMPARE(headings.size(), QuestionTable::kRecords);
        QVERIFY2(device.served() <= one.size() * qint64(QuestionTable::kRecords) + 64 * 1024,
                 qPrintable(QString::number(device.served())));
    }

    void readErrorKeepsRecordsReadSoFar() {
        const QByteArray bytes = manyRecords(5);
        CountingDevice device(bytes, bytes.size(), record(0).size() * 2 + 10);
        int headings = 0;
        const LoadResult result =
            loadQuestionDevice(device, *table_, [&](const QString&) { ++headings; });
        QCOMPARE(result.status, LoadStatus::ReadFailed);
        QCOMPARE(headings, 2);
        QCOMPARE(result.recordCount, 2.0f);
    }
};

QTEST_GUILESS_MAIN(TestQuestionFile)
#include "test_questionfile.moc"
