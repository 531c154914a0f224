// Every target of one action is written whole together or not at all: files are told apart by
// identity, no output replaces another output of the action or a file the process has read,
// every failing system call leaves the old files and no temporary file, a fatal signal leaves no
// temporary file, and a replaced file keeps its owner and permissions.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "filesystem.h"
#include "outputtransaction.h"

using namespace pobelo;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Builds the test's files in a folder: "f" and "g" plain files, "hard" a hard link to f, "sym" a
// link to f, "dirlink" a link to the folder itself, "dangle" a link to the missing "new2".
void makeFiles(const QString& folder) {
    const QByteArray base = QFile::encodeName(folder) + '/';
    writeBytes(folder + QStringLiteral("/f"), "f");
    writeBytes(folder + QStringLiteral("/g"), "g");
    ::link((base + "f").constData(), (base + "hard").constData());
    ::symlink("f", (base + "sym").constData());
    ::symlink(".", (base + "dirlink").constData());
    ::symlink("new2", (base + "dangle").constData());
}

// A small tmpfs mounted on folder for as long as it lives; not mounted where that is not allowed.
struct SmallDisk {
    SmallDisk(const QString& folder, int kib) : path(QFile::encodeName(folder)) {
        QDir().mkpath(folder);
        const QByteArray size = "size=" + QByteArray::number(kib) + 'k';
        mounted = ::geteuid() == 0 &&
                  ::mount("tmpfs", path.constData(), "tmpfs", 0, size.constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted) ::umount(path.constData());
    }
    QByteArray path;
    bool mounted = false;
};

}  // namespace

class OutputTransactionTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        forgetReadFiles();
        platform::clearFailures();
    }

    void identity_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("same name") << "f"
                                   << "f" << true;
        QTest::newRow("hard link") << "f"
                                   << "hard" << true;
        QTest::newRow("symbolic link") << "f"
                                       << "sym" << true;
        QTest::newRow("through a folder link") << "f"
                                               << "dirlink/f" << true;
        QTest::newRow("two files") << "f"
                                   << "g" << false;
        QTest::newRow("not there yet, two spellings") << "new"
                                                      << "dirlink/./new" << true;
        QTest::newRow("not there yet, two names") << "new"
                                                  << "new2" << false;
        QTest::newRow("not there yet and a file") << "new"
                                                  << "f" << false;
        QTest::newRow("a link pointing nowhere") << "dangle"
                                                 << "new2" << true;
        QTest::newRow("same inode on another device") << "disk1/x"
                                                      << "disk2/x" << false;
    }
    void identity() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QTemporaryDir work;
        const QString folder = work.path();
        makeFiles(folder);
        SmallDisk disk1(folder + QStringLiteral("/disk1"), 64);
        SmallDisk disk2(folder + QStringLiteral("/disk2"), 64);
        if (a.startsWith(QStringLiteral("disk"))) {
            if (!disk1.mounted || !disk2.mounted)
                QSKIP("tmpfs cannot be mounted here (needs root)");
            writeBytes(folder + '/' + a, "x");
            writeBytes(folder + '/' + b, "x");
            struct stat first {};
            struct stat second {};
            ::stat(QFile::encodeName(folder + '/' + a).constData(), &first);
            ::stat(QFile::encodeName(folder + '/' + b).constData(), &second);
            if (first.st_ino != second.st_ino) QSKIP("the two disks gave different inodes");
        }
        QCOMPARE(sameFile(folder + '/' + a, folder + '/' + b), same);
        QCOMPARE(sameFile(folder + '/' + b, folder + '/' + a), same);
    }

    void collisions_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("read");  // f read earlier in the process, or being written
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("edited");  // the document being edited, which may be replaced
        using P = OutputTransaction::Problem;
        QTest::newRow("two files") << "f"
                                   << "g"
                                   << "" << int(P::None) << "";
        QTest::newRow("two new files") << "new"
                                       << "new2"
                                       << "" << int(P::None) << "";
        QTest::newRow("same name") << "f"
                                   << "f"
                                   << "" << int(P::SameTarget) << "";
        QTest::newRow("link") << "f"
                              << "sym"
                              << "" << int(P::SameTarget) << "";
        QTest::newRow("hard link") << "hard"
                                   << "f"
                                   << "" << int(P::SameTarget) << "";
        QTest::newRow("folder link, not there yet") << "new"
                                                    << "dirlink/new"
                                                    << "" << int(P::SameTarget) << "";
        QTest::newRow("a read file") << "g"
                                     << "hard"
                                     << "f" << int(P::IsInput) << "";
        QTest::newRow("a read file, gone since") << "g"
                                                 << "sym"
                                                 << "f-gone" << int(P::IsInput) << "";
        QTest::newRow("the edited document, read by the window too") << "g"
                                                                     << "hard"
                                                                     << "f" << int(P::None) << "f";
        QTest::newRow("another file than the edited one") << "g"
                                                          << "hard"
                                                          << "f" << int(P::IsInput) << "g";
        QTest::newRow("a folder") << "f"
                                  << "dirlink"
                                  << "" << int(P::NotRegular) << "";
        QTest::newRow("a file another action is writing") << "g"
                                                          << "sym"
                                                          << "writing" << int(P::SameTarget) << "";
    }
    void collisions() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, read);
        QFETCH(int, problem);
        QFETCH(QString, edited);
        QTemporaryDir work;
        const QString folder = work.path();
        makeFiles(folder);
        OutputTransaction other;
        if (read == QStringLiteral("writing")) {
            other.add(folder + QStringLiteral("/f"), QStringLiteral("the trace file"));
            QVERIFY(other.begin());
        } else if (!read.isEmpty()) {
            registerReadFile(folder + QStringLiteral("/f"), QStringLiteral("the question file"));
            // Saved again by an editor: a new file under the same name.
            if (read.endsWith(QStringLiteral("-gone")))
                QFile::remove(folder + QStringLiteral("/f"));
        }
        const QStringList before = entries(folder);
        const QByteArray beforeF = readAll(folder + QStringLiteral("/f"));

        OutputTransaction outputs;
        if (!edited.isEmpty()) outputs.setEditedDocument(folder + '/' + edited);
        const int a = outputs.add(folder + '/' + first, QStringLiteral("OUT"));
        const int b = outputs.add(folder + '/' + second, QStringLiteral("KEY"));
        const bool begun = outputs.begin();
        QCOMPARE(int(outputs.problem()), problem);
        QCOMPARE(begun, problem == int(OutputTransaction::Problem::None));
        if (begun) {
            outputs.device(a)->write("A");
            outputs.device(b)->write("B");
            QVERIFY2(outputs.commit(), qPrintable(outputs.errorString()));
            QCOMPARE(readAll(folder + '/' + first), QByteArray("A"));
            QCOMPARE(readAll(folder + '/' + second), QByteArray("B"));
            return;
        }
        QCOMPARE(outputs.failedTarget(), b);
        if (problem == int(OutputTransaction::Problem::SameTarget))
            QVERIFY2(outputs.errorString().contains(read.isEmpty() ? QStringLiteral("OUT")
                                                                   : QStringLiteral("trace")),
                     qPrintable(outputs.errorString()));
        if (problem == int(OutputTransaction::Problem::IsInput))
            QVERIFY2(outputs.errorString().contains(QStringLiteral("the question file")),
                     qPrintable(outputs.errorString()));
        QCOMPARE(entries(folder), before);
        QCOMPARE(readAll(folder + QStringLiteral("/f")), beforeF);
    }

    void failingCalls_data() {
        QTest::addColumn<int>("call");
        QTest::addColumn<int>("skip");  // calls of that kind that succeed first
        using C = platform::Call;
        QTest::newRow("write") << int(C::Write) << 0;
        QTest::newRow("write of the second file") << int(C::Write) << 1;
        QTest::newRow("fsync") << int(C::Sync) << 0;
        QTest::newRow("fsync of the second file") << int(C::Sync) << 1;
        QTest::newRow("close") << int(C::Close) << 0;
        QTest::newRow("close of the second file") << int(C::Close) << 1;
        QTest::newRow("rename") << int(C::Rename) << 0;
        QTest::newRow("rename of the second file, the first in place") << int(C::Rename) << 1;
    }
    void failingCalls() {
        QFETCH(int, call);
        QFETCH(int, skip);
        QTemporaryDir work;
        const QString out = work.filePath(QStringLiteral("out.pdf"));
        const QString key = work.filePath(QStringLiteral("key.pdf"));
        const QString fresh = work.filePath(QStringLiteral("trace.txt"));  // not there before
        QVERIFY(writeBytes(out, "old sheets"));
        QVERIFY(writeBytes(key, "old key"));
        const QStringList before = entries(work.path());

        platform::failCall(platform::Call(call), EIO, skip);
        OutputTransaction outputs;
        for (const QString& path : {out, key, fresh}) outputs.add(path);
        QVERIFY(outputs.begin());
        for (int i = 0; i < outputs.count(); ++i) outputs.device(i)->write("new");
        QVERIFY(!outputs.commit());

        QCOMPARE(outputs.osError(), EIO);
        QCOMPARE(outputs.errorString(), QString::fromLocal8Bit(std::strerror(EIO)));
        QCOMPARE(outputs.failedTarget(), skip);
        QCOMPARE(readAll(out), QByteArray("old sheets"));
        QCOMPARE(readAll(key), QByteArray("old key"));
        QCOMPARE(entries(work.path()), before);
    }

    void fullDisk() {
        QTemporaryDir work;
        SmallDisk disk(work.filePath(QStringLiteral("disk")), 64);
        if (!disk.mounted) QSKIP("a small tmpfs cannot be mounted here (needs root)");
        const QString folder = QString::fromLocal8Bit(disk.path);
        const QString out = folder + QStringLiteral("/out.pdf");
        const QString key = folder + QStringLiteral("/key.pdf");
        QVERIFY(writeBytes(out, "old sheets"));
        QVERIFY(writeBytes(key, "old key"));
        const QStringList before = entries(folder);
        OutputTransaction outputs;
        outputs.add(key);
        outputs.add(out);
        QVERIFY(outputs.begin());
        outputs.device(0)->write("a key that fits");
        outputs.device(1)->write(QByteArray(200 * 1024, 'x'));
        QVERIFY(!outputs.commit());
        QCOMPARE(outputs.osError(), ENOSPC);
        QCOMPARE(readAll(key), QByteArray("old key"));
        QCOMPARE(readAll(out), QByteArray("old sheets"));
        QCOMPARE(entries(folder), before);
    }

    void replacedFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("mode");  // of the earlier file, and expected after
        QTest::addColumn<int>("expectedMode");
        QTest::newRow("permissions kept") << "plain" << 0640 << 0640;
        QTest::newRow("set-user-ID and set-group-ID dropped") << "plain" << 06750 << 0750;
        QTest::newRow("another user's file") << "owner" << 0640 << 0640;
        QTest::newRow("written through a link") << "link" << 0600 << 0600;
        QTest::newRow("a link pointing nowhere makes its file") << "dangling" << 0 << 0;
    }
    void replacedFiles() {
        QFETCH(QString, kind);
        QFETCH(int, mode);
        QFETCH(int, expectedMode);
        QTemporaryDir work;
        const QByteArray base = QFile::encodeName(work.path()) + '/';
        const QByteArray real = base + "real.pdf";
        QByteArray name = real;
        if (kind != "dangling") {
            QVERIFY(writeBytes(QString::fromLocal8Bit(real), "old"));
            QCOMPARE(::chmod(real.constData(), mode_t(mode)), 0);
        }
        if (kind == "owner") {
            if (::geteuid() != 0) QSKIP("giving a file to another user needs root");
            QCOMPARE(::chown(real.constData(), 1234, 4321), 0);
        }
        if (kind == "link" || kind == "dangling") {
            name = base + "link.pdf";
            QCOMPARE(::symlink("real.pdf", name.constData()), 0);
        }
        OutputTransaction outputs;
        outputs.add(QString::fromLocal8Bit(name));
        QVERIFY(outputs.begin());
        outputs.device(0)->write("new");
        QVERIFY2(outputs.commit(), qPrintable(outputs.errorString()));

        struct stat info {};
        QCOMPARE(::lstat(real.constData(), &info), 0);
        QVERIFY(S_ISREG(info.st_mode));
        QCOMPARE(readAll(QString::fromLocal8Bit(real)), QByteArray("new"));
        if (expectedMode != 0) QCOMPARE(int(info.st_mode & 07777), expectedMode);
        if (kind == "owner") {
            QCOMPARE(int(info.st_uid), 1234);
            QCOMPARE(int(info.st_gid), 4321);
        }
        if (name != real) {
            QCOMPARE(::lstat(name.constData(), &info), 0);
            QVERIFY(S_ISLNK(info.st_mode));
        }
    }

    // A fatal signal in the middle of a write leaves no temporary file, and the process still
    // dies of that signal; past the file-size limit the write fails with its reason.
    void fatalSignals_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGPIPE") << SIGPIPE;
        QTest::newRow("SIGXFSZ") << SIGXFSZ;
    }
    void fatalSignals() {
        QFETCH(int, signal);
        QTemporaryDir work;
        const QString out = work.filePath(QStringLiteral("out.pdf"));
        QVERIFY(writeBytes(out, "old"));
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            OutputTransaction outputs;
            outputs.add(out);
            outputs.add(work.filePath(QStringLiteral("key.pdf")));
            if (!outputs.begin()) ::_exit(10);
            if (signal != SIGXFSZ) ::raise(signal);
            platform::reportFileSizeLimitAsError();
            struct rlimit limit {
                4096, 4096
            };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            outputs.device(0)->write(QByteArray(100000, 'x'));
            const bool told = !outputs.commit() && outputs.osError() == EFBIG;
            ::_exit(told ? 20 : 21);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        if (signal == SIGXFSZ) {
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 20);
        } else {
            QVERIFY(WIFSIGNALED(status));
            QCOMPARE(WTERMSIG(status), signal);
        }
        QCOMPARE(entries(work.path()), QStringList{QStringLiteral("out.pdf")});
        QCOMPARE(readAll(out), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(OutputTransactionTest)
#include "test_outputtransaction.moc"
