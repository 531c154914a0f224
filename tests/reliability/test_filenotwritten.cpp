// The question file is only ever read: after a whole session over it (opening it twice,
// composing both pages, changing the font, printing to PDF files, closing) its bytes, its times
// and its inode are as they were, and nothing new appears beside it.
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "mojfile.h"
#include "sheetscript.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

struct FileState {
    QByteArray sha256;
    struct stat info {};

    static FileState of(const QString& path) {
        FileState s;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            s.sha256 = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        if (stat(QFile::encodeName(path).constData(), &s.info) != 0) s.sha256.clear();
        return s;
    }
};

}  // namespace

class FileNotWrittenTest : public QObject {
    Q_OBJECT

  private slots:
    void sessionLeavesTheQuestionFileAsItWas_data() {
        QTest::addColumn<QString>("fontName");
        QTest::newRow("upright font") << QStringLiteral("ＭＳ 明朝");
        QTest::newRow("vertical font") << QStringLiteral("@ＭＳ 明朝");
    }

    void sessionLeavesTheQuestionFileAsItWas() {
        QFETCH(QString, fontName);
        QTemporaryDir files;  // the question file's folder
        QTemporaryDir out;    // where the printed sheets go
        QVERIFY(files.isValid() && out.isValid());
        const QString path = files.filePath(QStringLiteral("questions.moj"));
        QList<QStringList> records;
        for (int n = 0; n < 4; ++n) records << numberedRecord(n, fontName);
        QVERIFY(writeFile(path, mojBytes(records)));
        // A modification time well in the past, so that a write within the same second shows.
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QDateTime past = QDateTime::fromSecsSinceEpoch(1230768000);  // 2009-01-01
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
            QVERIFY(file.setFileTime(past, QFileDevice::FileAccessTime));
        }
        const FileState before = FileState::of(path);
        QVERIFY(!before.sha256.isEmpty());
        const QStringList folderBefore =
            QDir(files.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        const QString pdf1 = out.filePath(QStringLiteral("sheet1.pdf"));
        const QString pdf2 = out.filePath(QStringLiteral("sheet2.pdf"));
        {
            auto session = std::make_unique<SheetSession>();
            SheetScript run(*session);
            const QStringList script{
                QStringLiteral("open ") + path,
                QStringLiteral("type 漢字の小テスト"),
                QStringLiteral("choose 0"),
                QStringLiteral("choose 3"),
                QStringLiteral("tick Check2 1"),
                QStringLiteral("print portrait ") + pdf1,
                QStringLiteral("click Image4"),
                QStringLiteral("open ") + path,
                QStringLiteral("choose 1"),
                QStringLiteral("font 12 1 0 ") + fontName,
                QStringLiteral("print landscape ") + pdf2,
                QStringLiteral("print-cancel"),
                QStringLiteral("menu ed"),
            };
            for (const QString& line : script) {
                QString error;
                QVERIFY2(run.runLine(line, &error), qPrintable(line + ": " + error));
            }
            QVERIFY(session->closed());
            QCOMPARE(session->model().combo1List().size(), 4);
        }  // the model and its session are gone

        for (const QString& pdf : {pdf1, pdf2}) {
            QFile file(pdf);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(pdf));
            QVERIFY(file.read(5) == "%PDF-");
        }
        const FileState after = FileState::of(path);
        QCOMPARE(after.sha256, before.sha256);
        QCOMPARE(after.info.st_size, before.info.st_size);
        QCOMPARE(after.info.st_ino, before.info.st_ino);
        QCOMPARE(after.info.st_mode, before.info.st_mode);
        QCOMPARE(after.info.st_mtim.tv_sec, before.info.st_mtim.tv_sec);
        QCOMPARE(after.info.st_mtim.tv_nsec, before.info.st_mtim.tv_nsec);
        // The change time cannot be set back: it moves with any write, rename or chmod.
        QCOMPARE(after.info.st_ctim.tv_sec, before.info.st_ctim.tv_sec);
        QCOMPARE(after.info.st_ctim.tv_nsec, before.info.st_ctim.tv_nsec);
        QCOMPARE(
            QDir(files.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            folderBefore);
    }
};

QTEST_MAIN(FileNotWrittenTest)
#include "test_filenotwritten.moc"
