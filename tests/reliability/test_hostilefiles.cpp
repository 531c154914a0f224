// Hostile question files: whatever is chosen in the file dialog, the open command either lists
// the records it can read or fails as the open command fails (a message only for a file that is
// not there; the heading list empty or holding the records read before the trouble), and the
// sheet stays usable afterwards.
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "modelfixture.h"
#include "mojfile.h"
#include "questionfile.h"
#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

using Fixture = ModelFixture;

QList<QStringList> goodRecords(int first, int count) {
    QList<QStringList> out;
    for (int n = first; n < first + count; ++n) out << numberedRecord(n);
    return out;
}

QStringList headingsOf(int first, int count) {
    QStringList out;
    for (int n = first; n < first + count; ++n) out << QStringLiteral("見出し%1").arg(n);
    return out;
}

// A number from one of this process's /proc files, such as "rchar:" of io.
qint64 procValue(const char* file, const QByteArray& key) {
    QFile io(QStringLiteral("/proc/self/") + QLatin1String(file));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Bytes read by this process so far, as the kernel counts them.
qint64 bytesReadByProcess() {
    return procValue("io", "rchar:");
}

// The peak resident memory of this process image in KiB. (Unlike getrusage's, it starts
// afresh at exec and does not inherit the parent's.)
qint64 peakMemoryKiB() {
    return procValue("status", "VmHWM:");
}

// A million short records, made as they are read so that they need no memory: record n is
// "r<n>" and 42 empty fields.
class MillionRecordDevice : public QIODevice {
  public:
    static constexpr qint64 kRecords = 1000000;
    MillionRecordDevice() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 served() const { return served_; }
    qint64 records() const { return next_; }

  protected:
    qint64 readData(char* data, qint64 max) override {
        qint64 n = 0;
        while (n < max) {
            if (pending_.isEmpty()) {
                if (next_ >= kRecords) break;
                pending_ = "r" + QByteArray::number(next_++) + QByteArray(42, ',') + "\r\n";
            }
            const qint64 take = std::min<qint64>(max - n, pending_.size());
            std::memcpy(data + n, pending_.constData(), size_t(take));
            pending_.remove(0, take);
            n += take;
        }
        served_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray pending_;
    qint64 next_ = 0;
    qint64 served_ = 0;
};

}  // namespace

class HostileFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString good_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        if (!writeFile(path, bytes)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // After any file, a good one opens, both pages compose and the sheet prints.
    void checkStillUsable(Fixture& f) {
        const qsizetype messages = f.messages.shown.size();
        f.open(good_);
        QCOMPARE(f.model.combo1List(), headingsOf(0, 3));
        if (f.model.imageVisible(2)) f.model.clickImage(2);  // the right page first
        f.model.chooseHeading(0);
        f.model.chooseHeading(2);
        QCOMPARE(f.model.caption(Label6, 1), QStringLiteral("前2の1漢字1後1。"));
        QCOMPARE(f.model.caption(Label3, 1), QStringLiteral("前0の1漢字1後1。"));
        f.printer.answers.push_back({true, kOrientationLandscape, {}});
        f.model.printSheet();
        QCOMPARE(f.printer.shown, 1);
        QCOMPARE(f.surface.lines().last(), QStringLiteral("{\"op\":\"endDoc\"}"));
        QVERIFY(
            f.surface.lines().contains(QStringLiteral("{\"op\":\"printText\",\"text\":\"⑩\"}")));
        QCOMPARE(f.messages.shown.size(), messages);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(cp932DecoderAvailable());
        good_ = write(QStringLiteral("good.moj"), mojBytes(goodRecords(0, 3)));
    }

    // Files that hold records, and something hostile after the first ones. The records before
    // the trouble are listed unchanged; what the trouble itself holds is read by the rules.
    void hostileContent_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("headings");  // the first headings listed, exactly
        QTest::addColumn<int>("count");             // all headings listed; -1: any number
        QTest::addColumn<LoadStatus>("status");     // -1 cast: any status but a failure to open

        const QByteArray two = mojBytes(goodRecords(0, 2));
        QByteArray random(256 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(20240607);
        for (char& c : random) c = char(generator.bounded(256));
        QTest::newRow("random binary") << two + random << headingsOf(0, 2) << -1 << LoadStatus(-1);

        // Undecodable single bytes, unassigned pairs, a lead byte before a comma: each stands for
        // one U+FFFD and the record after them is whole.
        QByteArray bad = "\x80h\xa0\x85\x40\xfd\xfe\xff,\x88,";
        for (int i = 2; i < 43; ++i) bad += "\x81" + QByteArray(i % 2 ? "," : "\r\n");
        QTest::newRow("invalid CP932")
            << two + bad + mojBytes(goodRecords(2, 1))
            << (headingsOf(0, 2) << QStringLiteral("\uFFFDh\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD")
                                 << QStringLiteral("見出し2"))
            << 4 << LoadStatus::Complete;

        QByteArray nul("n\0ul", 4);
        for (int i = 1; i < 43; ++i) nul += QByteArray(",\0", 2) + QByteArray::number(i);
        QTest::newRow("NUL bytes")
            << two + nul + "\r\n" + mojBytes(goodRecords(2, 1))
            << (headingsOf(0, 2) << QString::fromUtf16(u"n\0ul", 4) << QStringLiteral("見出し2"))
            << 4 << LoadStatus::Complete;

        // No quote follows, so the field runs over the unquoted records after it.
        QTest::newRow("quoted field never closed")
            << two + "\"never closed, with a comma\r\n" + "r2" + QByteArray(42, ',') + "\r\n"
            << headingsOf(0, 2) << 2 << LoadStatus::Incomplete;

        // 1000 line ends are 1000 empty fields: 23 records and 11 fields of a 24th.
        QTest::newRow("only line ends")
            << QByteArray("\r\n").repeated(1000) << QStringList(23) << 23 << LoadStatus::Incomplete;
        QTest::newRow("empty file") << QByteArray() << QStringList() << 0 << LoadStatus::Complete;
    }

    void hostileContent() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, headings);
        QFETCH(int, count);
        QFETCH(LoadStatus, status);
        const QString path = write(QStringLiteral("hostile.moj"), bytes);

        auto table = std::make_unique<QuestionTable>();
        QStringList listed;
        const LoadResult result =
            loadQuestionFile(path, *table, [&](const QString& h) { listed << h; });
        if (status != LoadStatus(-1)) QCOMPARE(result.status, status);
        QVERIFY(result.status != LoadStatus::FileNotFound &&
                result.status != LoadStatus::OpenFailed);

        Fixture f;
        f.open(path);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.model.combo1List(), listed);
        QCOMPARE(f.model.combo1List().size(), qsizetype(f.model.recordCount()));
        QCOMPARE(f.model.combo1List().mid(0, headings.size()), headings);
        if (count >= 0) QCOMPARE(f.model.combo1List().size(), count);
        // Every listed record can be chosen.
        for (int k = 0; k < f.model.combo1List().size(); ++k) {
            f.model.chooseHeading(k);
            QCOMPARE(f.model.command1Caption(), f.model.table().at(k, slot::kFontName));
        }
        checkStillUsable(f);
    }

    void hostileContentKeepsEveryByte() {
        // The NUL bytes and the text of an unclosed quote are kept, not dropped.
        auto table = std::make_unique<QuestionTable>();
        QByteArray nul("a\0b,", 4);
        nul += QByteArray(",", 1).repeated(41) + QByteArray("\0", 1);
        QBuffer buffer;
        buffer.setData(nul + "\r\n\"open, to the end\r\nof the file");
        buffer.open(QIODevice::ReadOnly);
        const LoadResult result = loadQuestionDevice(buffer, *table, {});
        QCOMPARE(result.status, LoadStatus::Incomplete);
        QCOMPARE(table->at(0, 0), QString::fromUtf16(u"a\0b", 3));
        QCOMPARE(table->at(0, 42), QString(QChar(0)));
        QCOMPARE(table->at(1, 0), QStringLiteral("open, to the end\r\nof the file"));
    }

    // Things that are no readable question file at all.
    void notAFile_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<bool>("message");
        QTest::newRow("folder") << dir_.path() << LoadStatus::OpenFailed << false;
        QTest::newRow("missing file")
            << dir_.filePath("gone.moj") << LoadStatus::FileNotFound << true;
        const QString link = dir_.filePath("dangling.moj");
        QVERIFY(QFile::link(dir_.filePath("nowhere.moj"), link));
        QTest::newRow("dangling link") << link << LoadStatus::FileNotFound << true;
        // Opening a pipe nobody writes to would wait for ever; it is refused unopened.
        const QString fifo = dir_.filePath("pipe.moj");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("pipe without a writer") << fifo << LoadStatus::OpenFailed << false;
        QTest::newRow("endless device")
            << QStringLiteral("/dev/zero") << LoadStatus::OpenFailed << false;
        // A regular file whose first read fails (EIO): the process's own memory at address 0.
        QTest::newRow("read error")
            << QStringLiteral("/proc/self/mem") << LoadStatus::ReadFailed << false;
    }

    void notAFile() {
        QFETCH(QString, path);
        QFETCH(LoadStatus, status);
        QFETCH(bool, message);
        auto table = std::make_unique<QuestionTable>();
        const LoadResult result = loadQuestionFile(path, *table, {});
        QCOMPARE(result.status, status);
        QCOMPARE(result.recordCount, 0.0f);

        Fixture f;
        f.open(good_);
        f.model.chooseHeading(1);
        f.open(path);
        QCOMPARE(f.messages.shown, message ? QStringList{text::fileNotFound(path)} : QStringList());
        QVERIFY(f.model.combo1List().isEmpty());
        QCOMPARE(f.model.recordCount(), 0.0f);
        QCOMPARE(f.captions(Label3), QStringList(kRows));
        f.messages.shown.clear();
        checkStillUsable(f);
    }

    void unreadableByPermissions() {
        if (geteuid() == 0) QSKIP("root reads files whatever their permissions");
        const QString path = write(QStringLiteral("locked.moj"), mojBytes(goodRecords(0, 1)));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        Fixture f;
        f.open(path);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.model.combo1List().isEmpty());
        checkStillUsable(f);
    }

    // A million records: the load stops after record 2001 and reads no more than the chunk that
    // record ended in, so the rest is neither read nor decoded.
    void millionRecordsFromADevice() {
        auto table = std::make_unique<QuestionTable>();
        MillionRecordDevice device;
        QStringList listed;
        const LoadResult result =
            loadQuestionDevice(device, *table, [&](const QString& h) { listed << h; });
        QCOMPARE(result.status, LoadStatus::TooManyRecords);
        QCOMPARE(listed.size(), QuestionTable::kRecords);
        QCOMPARE(listed.last(), QStringLiteral("r2000"));
        const qint64 recordBytes = QByteArray("r0000").size() + 42 + 2;
        QVERIFY2(device.served() <= recordBytes * QuestionTable::kRecords + 64 * 1024,
                 qPrintable(QString::number(device.served())));
        QVERIFY(device.records() < 4000);
    }

    // Records in a file: past record 2001 the load reads no more than the chunk that record ended
    // in. A file past the size bound (a million records, 50 MB) is not read at all.
    void manyRecordsFromAFile_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("headings");
        QTest::addColumn<qint64>("mostRead");
        const qint64 table = 50 * QuestionTable::kRecords + 64 * 1024 + 16 * 1024;
        QTest::newRow("half a million, 24 MB") << 500000 << QuestionTable::kRecords << table;
        QTest::newRow("a million, 50 MB") << 1000000 << 0 << qint64(16 * 1024);
    }
    void manyRecordsFromAFile() {
        QFETCH(int, records);
        QFETCH(int, headings);
        QFETCH(qint64, mostRead);
        QByteArray bytes;
        bytes.reserve(records * 50);
        for (int n = 0; n < records; ++n)
            bytes += "r" + QByteArray::number(n) + QByteArray(42, ',') + "\r\n";
        const QString path = write(QStringLiteral("many.moj"), bytes);
        QCOMPARE(bytes.size() > kMaxQuestionFileBytes, headings == 0);
        bytes = QByteArray();
        Fixture f;
        const qint64 before = bytesReadByProcess();
        QVERIFY(before >= 0);
        f.open(path);
        const qint64 read = bytesReadByProcess() - before;
        QCOMPARE(f.model.combo1List().size(), headings);
        if (headings > 0) QCOMPARE(f.model.combo1List().last(), QStringLiteral("r2000"));
        QCOMPARE(f.model.lastLoad().status,
                 headings > 0 ? LoadStatus::TooManyRecords : LoadStatus::TooLarge);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY2(read <= mostRead, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
        QVERIFY(QFile::remove(path));
        checkStillUsable(f);
    }

    // One field without a comma or a line end, just under the size bound: it is read once, kept
    // whole, and the load's memory stays within four times the file plus a fixed amount. Past
    // the bound (100 MB) nothing is read and no memory taken. Measured in a child process so that
    // nothing else this test did counts towards its peak.
    void oneFieldWithoutAComma_data() {
        QTest::addColumn<qint64>("megabytes");
        QTest::newRow("31 MB") << qint64(31);
        QTest::newRow("100 MB, past the bound") << qint64(100);
    }
    void oneFieldWithoutAComma() {
        QFETCH(qint64, megabytes);
        // Japanese text and ASCII, as a pasted document might be: a 2-byte character becomes
        // one UTF-16 unit, an ASCII one two bytes in memory.
        const QString text = QStringLiteral("問題文に区切りがない。 The quick brown fox;");
        const QByteArray piece = QStringEncoder("windows-31j").encode(text);
        const qint64 pieces = megabytes * 1000 * 1000 / piece.size();
        const qint64 size = pieces * piece.size();  // just under the megabytes
        const bool past = size > kMaxQuestionFileBytes;
        const QString path = dir_.filePath(QStringLiteral("nocomma.moj"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            const QByteArray block = piece.repeated(1000);
            for (qint64 n = 0; n < pieces; n += 1000) {
                const QByteArray part = n + 1000 <= pieces ? block : piece.repeated(pieces - n);
                QCOMPARE(file.write(part), qint64(part.size()));
            }
        }
        QCOMPARE(QFileInfo(path).size(), size);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Under AddressSanitizer freed memory would otherwise be held back and counted.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   QStringLiteral("quarantine_size_mb=0:detect_leaks=0"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), path});
        QVERIFY(child.waitForFinished(240000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        const QStringList report = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        QCOMPARE(report.size(), 5);
        const qint64 peak = report[0].toLongLong() * 1024;
        const qint64 read = report[1].toLongLong();
        qInfo("peak growth %lld bytes for a file of %lld (%.2f times)", peak, size,
              double(peak) / double(size));
        QCOMPARE(report[2], QStringLiteral("0"));  // no heading listed
        QCOMPARE(report[3], QStringLiteral("0"));  // no message
        QVERIFY(QFile::remove(path));
        if (past) {
            QCOMPARE(report[4], QStringLiteral("0"));
            QVERIFY2(read <= 16 * 1024, qPrintable(QString::number(read)));
            QVERIFY2(peak <= 8 * 1024 * 1024, qPrintable(QString::number(peak)));
            return;
        }
        QCOMPARE(report[4].toLongLong(), pieces * text.size());  // all in slot 0 of record 0
        QVERIFY2(read >= size && read <= size + 1024 * 1024, qPrintable(QString::number(read)));
        QVERIFY2(peak <= 4 * size + 64 * 1024 * 1024, qPrintable(QString::number(peak)));
    }
};

// The child of oneFieldWithoutAComma: opens the file in a sheet model and writes
// "<peak growth KiB> <bytes read> <headings> <messages> <length of slot 0 of record 0>".
static int openAndMeasure(const QString& path) {
    ScriptedMessageBox messages;
    SheetServices services;
    services.messages = &messages;
    auto model = std::make_unique<SheetModel>(services);
    const qint64 peakBefore = peakMemoryKiB();
    const qint64 readBefore = bytesReadByProcess();
    model->openFile(path);
    const qint64 read = bytesReadByProcess() - readBefore;
    std::printf("%lld %lld %lld %lld %lld", peakMemoryKiB() - peakBefore, read,
                qint64(model->combo1List().size()), qint64(messages.shown.size()),
                qint64(model->table().at(0, 0).size()));
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0)
        return openAndMeasure(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    HostileFilesTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_hostilefiles.moc"
