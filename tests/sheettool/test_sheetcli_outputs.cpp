// pobelo-sheet as teachers run it: the files it writes, the ones it refuses to write over, its
// messages and exit statuses when a write, a script or the system fails it. (The sheets it prints
// are checked in test_sheetcli_pages; its refusals of bad command lines in process, in
// test_sheetcommand.)

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <thread>

#include "mojfile.h"
#include "sheetcli.h"
#include "testtools.h"

using namespace pobelo::test;

namespace {

// The temporary files left in folder.
QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList({".pobelo-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

}  // namespace

class SheetCliOutputsTest : public SheetCliFixture {
    Q_OBJECT

  private slots:
    // Nothing the program writes may be the question file or the script, whatever name leads to
    // it; the refusal comes before anything is truncated, with exit status 2 in both modes.
    void outputOntoAnInputIsRefused_data() {
        QTest::addColumn<QStringList>("args");  // FILE, SCRIPT, LINK (to FILE), HARD (to SCRIPT)
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString print = "open FILE\nchoose 0\nprint portrait ";
        QTest::newRow("trace over the question file the script opens")
            << QStringList{"--script", "SCRIPT", "--trace", "FILE"} << print + "\n"
            << 2 << "trace file " + QStringLiteral("FILE: it is the question file");
        QTest::newRow("trace over the script")
            << QStringList{"--script", "SCRIPT", "--trace", "SCRIPT"} << print + "\n"
            << 2 << "it is the script";
        QTest::newRow("trace over the question file, teacher mode")
            << QStringList{"FILE", "--all", "-o", "OUT", "--trace", "LINK"} << QString() << 2
            << "it is the question file";
        QTest::newRow("output through a link to the question file")
            << QStringList{"FILE", "--all", "-o", "LINK"} << QString() << 2
            << "LINK is the question file FILE itself";
        QTest::newRow("scripted PDF over the question file")
            << QStringList{"--script", "SCRIPT"} << print + "FILE\n"
            << 2 << "line 3: cannot write FILE: it is the question file";
        QTest::newRow("scripted PDF over a hard link to the script")
            << QStringList{"--script", "SCRIPT"} << print + "HARD\ndump\n"
            << 2 << "it is the script";
        QTest::newRow("scripted set over the question file")
            << QStringList{"--script", "SCRIPT"} << print + "\nset-save LINK\ndump\n"
            << 2 << "line 4: cannot write LINK: it is the question file";
        QTest::newRow("scripted PDF into a missing folder")
            << QStringList{"--script", "SCRIPT"} << print + "/nonexistent/dir/x.pdf\ndump\n"
            << 1 << "line 3: cannot write /nonexistent/dir/x.pdf: No such file or directory";
    }

    void outputOntoAnInputIsRefused() {
        QFETCH(QStringList, args);
        QFETCH(QString, script);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString question = dir.filePath("victim.moj");
        const QString scriptPath = dir.filePath("s.txt");
        QVERIFY(writeFile(question, mojBytes(markedRecords())));
        QVERIFY(QFile::link(question, dir.filePath("link.moj")));
        const QMap<QString, QString> names{{"FILE", question},
                                           {"SCRIPT", scriptPath},
                                           {"LINK", dir.filePath("link.moj")},
                                           {"HARD", dir.filePath("hard.pdf")},
                                           {"OUT", dir.filePath("out.pdf")}};
        for (auto it = names.begin(); it != names.end(); ++it) {
            script.replace(it.key(), it.value());
            message.replace(it.key(), it.value());
            for (QString& a : args)
                if (a == it.key()) a = it.value();
        }
        QVERIFY(writeFile(scriptPath, script.toUtf8()));
        QCOMPARE(link(QFile::encodeName(scriptPath).constData(),
                      QFile::encodeName(dir.filePath("hard.pdf")).constData()),
                 0);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const Result r = runSheet(args, dir.path());
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(!r.err.contains("QPainter"), qPrintable(r.err));
        // The run stopped at the failed print: the dump after it never ran.
        QCOMPARE(r.out, QString());
        QCOMPARE(readAll(question), mojBytes(markedRecords()));
        QCOMPARE(readAll(scriptPath), script.toUtf8());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // Names as a Windows share gives them (CP932 bytes) open and write under those very bytes; a
    // question file saved again as UTF-8 is read as such, and said so.
    void byteNamesAndReSavedFiles() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray base = QFile::encodeName(dir.path()) + '/';
        const QByteArray in = base + "\x8a\xbf\x8e\x9a.moj";   // 漢字.moj
        const QByteArray out = base + "\x8e\x8e\x8c\xb1.pdf";  // 試験.pdf
        const auto removeByteNames = qScopeGuard([&] {
            unlink(in.constData());
            unlink(out.constData());
        });
        QByteArray utf8;
        for (const QStringList& fields : markedRecords())
            utf8 += "\"" + fields.join("\",\"").toUtf8() + "\"\r\n";
        FILE* f = std::fopen(in.constData(), "wb");
        QVERIFY(f);
        std::fwrite(utf8.constData(), 1, utf8.size(), f);
        std::fclose(f);

        // The shell hands over the bytes; QProcess would send its arguments as UTF-8.
        const Result r = run("/bin/sh",
                             {"-c",
                              "exec \"$0\" \"$(printf '\\212\\277\\216\\232.moj')\" --right 2 "
                              "-o \"$(printf '\\216\\216\\214\\261.pdf')\"",
                              POBELO_SHEET_PROGRAM},
                             dir.path());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.startsWith(
                     QStringLiteral("pobelo-sheet: 漢字.moj: read as UTF-8, not as CP932\n")),
                 qPrintable(r.err));
        struct stat info {};
        QCOMPARE(stat(out.constData(), &info), 0);
        QVERIFY(S_ISREG(info.st_mode) && info.st_size > 1000);
        // Nothing else appeared (Qt's own listing skips names that are not UTF-8).
        QByteArrayList names;
        DIR* folder = opendir(base.constData());
        QVERIFY(folder);
        while (const dirent* entry = readdir(folder)) names << entry->d_name;
        closedir(folder);
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (QByteArrayList{".", "..", in.mid(base.size()), out.mid(base.size())}));
        // The heading as the list gives it is the UTF-8 text.
        const Result list =
            run("/bin/sh",
                {"-c", "exec \"$0\" \"$(printf '\\212\\277\\216\\232.moj')\" --list",
                 POBELO_SHEET_PROGRAM},
                dir.path());
        QCOMPARE(list.status, 0);
        QVERIFY2(list.out.startsWith("1\t" + kHeadings[0] + "\n"), qPrintable(list.out));
    }

    // --- Every output of a run as one whole, every failure told ---

    // OUT, KEY and the trace are refused pairwise, by any name that leads to one file, before
    // anything is written; a failed run keeps the old trace.
    void outputsOfOneRun_data() {
        QTest::addColumn<QStringList>("args");  // after the question file
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("trace over OUT")
            << QStringList{"--right", "1", "-o", "t.pdf", "--trace", "t.pdf"} << 2
            << "trace file t.pdf: it is the same file as OUT t.pdf";
        QTest::newRow("trace over KEY")
            << QStringList{"--right", "1", "-o", "o.pdf", "--key", "k.pdf", "--trace", "k.pdf"} << 2
            << "it is the same file as KEY k.pdf";
        QTest::newRow("KEY through a folder link to OUT, neither there yet")
            << QStringList{"--right", "1", "-o", "new.pdf", "--key", "here/new.pdf"} << 2
            << "KEY and OUT are the same file";
        QTest::newRow("a heading past the list")
            << QStringList{"--right", "99", "-o", "o.pdf", "--trace", "old.trace"} << 2 << "not 99";
        QTest::newRow("findings with --strict")
            << QStringList{"--right",  "1",  "--title", QString(40, QChar(u'題')),
                           "--strict", "-o", "o.pdf",   "--trace",
                           "old.trace"}
            << 3 << "nothing written";
    }
    void outputsOfOneRun() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir work;
        QVERIFY(QFile::link(".", work.filePath("here")));
        QVERIFY(writeFile(work.filePath("old.trace"), "old trace"));
        QVERIFY(writeFile(work.filePath("o.pdf"), "old sheets"));
        const QStringList before = QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const Result r = runSheet(QStringList{file_} + args, work.path());
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        QCOMPARE(readAll(work.filePath("old.trace")), QByteArray("old trace"));
        QCOMPARE(readAll(work.filePath("o.pdf")), QByteArray("old sheets"));
    }

    // On a full disk neither OUT nor KEY is replaced.
    void allOrNothingOnAFullDisk() {
        QTemporaryDir work;
        const QByteArray disk = QFile::encodeName(work.path());
        if (::geteuid() != 0 || QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=24k",
                                                            "tmpfs", work.path()}) != 0)
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {work.path()}); });
        QVERIFY(writeFile(work.filePath("o.pdf"), "old sheets"));
        QVERIFY(writeFile(work.filePath("k.pdf"), "old key"));
        const Result r = runSheet({file_, "--all", "-o", "o.pdf", "--key", "k.pdf"}, work.path());
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("No space left"), qPrintable(r.err));
        QCOMPARE(readAll(work.filePath("o.pdf")), QByteArray("old sheets"));
        QCOMPARE(readAll(work.filePath("k.pdf")), QByteArray("old key"));
        QCOMPARE(leftovers(work.path()), QStringList{});
    }

    // The system's answer to the last steps of a write, syncing and closing the file, is heeded:
    // a failure leaves the old file or none, and says why. Failures come from libfiu's POSIX
    // preload (fiu-run), with the error number given.
    void failingSyncOrClose_data() {
        QTest::addColumn<QString>("failure");     // libfiu's failure point, with its error number
        QTest::addColumn<QByteArray>("earlier");  // OUT before the run; null: none
        QTest::addColumn<QString>("message");
        QTest::newRow("fsync") << "posix/io/sync/fsync,failinfo=5" << QByteArray("old sheets")
                               << "cannot write o.pdf: Input/output error";
        QTest::newRow("close") << "posix/io/oc/close,failinfo=28" << QByteArray()
                               << "cannot write o.pdf: No space left on device";
    }
    void failingSyncOrClose() {
        QFETCH(QString, failure);
        QFETCH(QByteArray, earlier);
        QFETCH(QString, message);
        const QString fiuRun = QStandardPaths::findExecutable("fiu-run");
        if (fiuRun.isEmpty()) QSKIP("libfiu's fiu-run is needed to make system calls fail");
        QTemporaryDir work;
        if (!earlier.isNull()) QVERIFY(writeFile(work.filePath("o.pdf"), earlier));
        const QStringList before = QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const Result r = run(fiuRun,
                             {"-x", "-c", "enable name=" + failure, POBELO_SHEET_PROGRAM, file_,
                              "--right", "1", "--left", "2", "-o", "o.pdf"},
                             work.path());
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        if (!earlier.isNull()) QCOMPARE(readAll(work.filePath("o.pdf")), earlier);
    }

    // A signal in the middle of --all leaves the old files and no temporary file.
    void signalDuringAll_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGPIPE") << SIGPIPE;
    }
    void signalDuringAll() {
        QFETCH(int, signal);
        QTemporaryDir work;
        QList<QStringList> many;
        for (int n = 0; n < 400; ++n) many << numberedRecord(n);
        QVERIFY(writeFile(work.filePath("many.moj"), mojBytes(many)));
        QVERIFY(writeFile(work.filePath("o.pdf"), "old sheets"));
        QProcess p;
        p.setWorkingDirectory(work.path());
        p.setReadChannel(QProcess::StandardError);
        p.start(POBELO_SHEET_PROGRAM,
                {"many.moj", "--all", "-o", "o.pdf", "--key", "k.pdf", "--trace", "t.trace"});
        QByteArray progress;
        while (!progress.contains("sheet 5/") && p.waitForReadyRead(30000))
            progress += p.readAllStandardError();
        QVERIFY2(progress.contains("sheet 5/"), progress.constData());
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QCOMPARE(leftovers(work.path()), QStringList{});
        QCOMPARE(readAll(work.filePath("o.pdf")), QByteArray("old sheets"));
        QVERIFY(!QFile::exists(work.filePath("k.pdf")));
    }

    // Script mode calls no failure success, keeps a file's name as written, and goes on after a
    // failed open as the window does.
    void scriptMode_data() {
        QTest::addColumn<QByteArray>("script");  // FILE: the marked file; "" with a FIFO row
        QTest::addColumn<QString>("how");        // "file", "folder" or "fifo"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("written");  // the file that must exist afterwards
        const QByteArray print = "open FILE\nchoose 0\nprint portrait ";
        QTest::newRow("a folder") << QByteArray() << "folder" << 2 << "it is a folder"
                                  << QByteArray();
        QTest::newRow("a FIFO") << print + "fifo.pdf\n"
                                << "fifo" << 0 << "" << QByteArray("fifo.pdf");
        QTest::newRow("choose past the list") << QByteArray("open FILE\nchoose 5\n") << "file" << 2
                                              << "line 2: choose" << QByteArray();
        QTest::newRow("a print that prints nothing")
            << QByteArray("open FILE\nprint portrait n.pdf\n") << "file" << 1
            << "line 2: nothing printed into n.pdf" << QByteArray();
        QTest::newRow("a set-save after a failed open")
            << QByteArray("open FILE\nchoose 0\nopen missing.moj\nset-save n.pobelo-set\n")
            << "file" << 1 << "line 4: nothing written into n.pobelo-set: no page holds questions"
            << QByteArray();
        QTest::newRow("a set-save of a title with a tab")
            << QByteArray("open FILE\nchoose 0\ntitle a\tb\nset-save t.pobelo-set\n") << "file" << 1
            << "line 4: nothing written into t.pobelo-set: title holds a line break or another "
               "control character"
            << QByteArray();
        QTest::newRow("a set that cannot be read, on one line")
            << QByteArray("set-open none.pobelo-set\nopen FILE\nchoose 0\nprint portrait m.pdf\n")
            << "file" << 0 << "line 1: cannot open the set none.pobelo-set: no such file\n"
            << QByteArray("m.pdf");
        QTest::newRow("a failed open goes on")
            << QByteArray("open missing.moj\nopen FILE\nchoose 0\nprint portrait m.pdf\n") << "file"
            << 0 << "line 1: 「missing.moj」が見つかりません。" << QByteArray("m.pdf");
        QTest::newRow("two spaces in a name") << print + "a  b.pdf\n"
                                              << "file" << 0 << "" << QByteArray("a  b.pdf");
        QTest::newRow("CP932 bytes in a name") << print + "\x8a\xbf.pdf\n"
                                               << "file" << 0 << "" << QByteArray("\x8a\xbf.pdf");
        QTest::newRow("a print into the run's own trace")
            << print + "s.trace\n"
            << "file" << 2 << "it is the trace file" << QByteArray();
        QTest::newRow("a NUL byte") << print + QByteArray("a\0b.pdf\n", 8) << "file" << 2
                                    << "line 3: a NUL byte" << QByteArray();
    }
    void scriptMode() {
        QFETCH(QByteArray, script);
        QFETCH(QString, how);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(QByteArray, written);
        QTemporaryDir work;
        const QByteArray base = QFile::encodeName(work.path()) + '/';
        script.replace("FILE", QFile::encodeName(file_));
        QString scriptName = work.filePath("s.txt");
        std::thread writer;
        if (how == "folder") {
            scriptName = work.path();
        } else if (how == "fifo") {
            QCOMPARE(::mkfifo((base + "s.txt").constData(), 0600), 0);
            writer = std::thread([&] {
                QFile fifo(scriptName);
                if (!fifo.open(QIODevice::WriteOnly)) return;
                // In two parts, the second after a pause, as a pipe gives them.
                fifo.write(script.left(10));
                fifo.flush();
                QThread::msleep(300);
                fifo.write(script.mid(10));
            });
        } else {
            QVERIFY(writeFile(scriptName, script));
        }
        const Result r = runSheet({"--script", scriptName, "--trace", "s.trace"}, work.path());
        if (writer.joinable()) writer.join();
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        if (!written.isEmpty()) {
            // Read by the bytes of its name, which need not be UTF-8.
            char head[6] = {};
            FILE* pdf = std::fopen((base + written).constData(), "rb");
            QVERIFY2(pdf, written.constData());
            QCOMPARE(std::fread(head, 1, 5, pdf), size_t(5));
            std::fclose(pdf);
            QCOMPARE(QByteArray(head), QByteArray("%PDF-"));
        }
        QCOMPARE(leftovers(work.path()), QStringList{});
    }

    // What a question file holds past the table or out of line is told on standard error, and
    // the run goes on as before.
    void readingNotes_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("extraField");  // the record with one field more; -1: none
        QTest::addColumn<QString>("note");
        QTest::newRow("2005 records") << 2005 << -1 << "the file holds more than 2001 records";
        QTest::newRow("44 fields on line 2") << 3 << 1 << "line 2 holds 44 fields, not 43";
    }
    void readingNotes() {
        QFETCH(int, records);
        QFETCH(int, extraField);
        QFETCH(QString, note);
        QList<QStringList> list;
        for (int n = 0; n < records; ++n) list << numberedRecord(n);
        if (extraField >= 0) list[extraField] << "x";
        QTemporaryDir work;
        QVERIFY(writeFile(work.filePath("q.moj"), mojBytes(list)));
        const Result r = runSheet({"q.moj", "--list"}, work.path());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains("q.moj: " + note), qPrintable(r.err));
    }

    // Control characters from a file never reach the terminal; standard output that cannot be
    // written fails the run; a desktop's platform is never asked for; a tab in a title is a
    // space; without a Japanese font the run stops with what to install.
    void terminalAndEnvironment_data() {
        QTest::addColumn<QStringList>("args");  // FILE: a file whose font field holds an escape
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("an escape sequence in the font field")
            << QStringList{"FILE", "--right", "1", "-o", "o.pdf"} << QStringList{} << 0
            << "\\x1B[31mRED is not installed";
        QTest::newRow("--list into a full disk")
            << QStringList{"FILE", "--list", ">/dev/full"} << QStringList{} << 1
            << "cannot write to standard output";
        QTest::newRow("--help into a full disk")
            << QStringList{"--help", ">/dev/full"} << QStringList{} << 1
            << "cannot write to standard output";
        QTest::newRow("a desktop platform without a display")
            << QStringList{"FILE", "--right", "1", "-o", "o.pdf"}
            << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="} << 0 << "";
        QTest::newRow("a tab in the title, strict")
            << QStringList{"FILE",        "--right",  "1",  "--title",
                           "第1回\t漢字", "--strict", "-o", "o.pdf"}
            << QStringList{} << 0 << "";
        QTest::newRow("no font installed") << QStringList{"FILE", "--right", "1", "-o", "o.pdf"}
                                           << QStringList{"FONTCONFIG_FILE=EMPTY"} << 1
                                           << "install one, such as the package fonts-";
    }
    void terminalAndEnvironment() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir work;
        QList<QStringList> records{numberedRecord(0, "\x1b[31mRED")};
        QVERIFY(writeFile(work.filePath("q.moj"), mojBytes(records)));
        QVERIFY(writeFile(work.filePath("fonts.conf"),
                          "<?xml version=\"1.0\"?><fontconfig><cachedir>" +
                              QFile::encodeName(work.path()) + "/cache</cachedir></fontconfig>"));
        args.replaceInStrings("FILE", "q.moj");
        env.replaceInStrings("EMPTY", work.filePath("fonts.conf"));
        QProcess p;
        if (args.last().startsWith('>')) p.setStandardOutputFile(args.takeLast().mid(1));
        p.setWorkingDirectory(work.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& variable : env)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        p.setProcessEnvironment(environment);
        p.start(POBELO_SHEET_PROGRAM, args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), status);
        QVERIFY2(err.contains(message) && !err.contains(QChar(0x1b)), qPrintable(err));
        QCOMPARE(QFile::exists(work.filePath("o.pdf")), status == 0 && args.contains("o.pdf"));
        QCOMPARE(leftovers(work.path()), QStringList{});
    }

    // --import: readings filled and told line by line; with --strict, or on a refusal, nothing
    // written; without the dictionary, the answers stay empty and it is said once.
    void import_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("written");  // the rows after the header; empty: no file
        const QString two = "# 池\n公園の[池]で。\n[花|か]\n花が[さいた]。\n";
        QTest::newRow("notation")
            << two << QStringList() << QStringList() << 0
            << QStringList{"2: 池 → いけ", "4: さいた → "}
            << "池,公園の,池,で。,いけ,\r\n池,,花,,か,\r\n池,花が,さいた,。,,\r\n";
        QTest::newRow("strict") << two << QStringList{"--strict"} << QStringList() << 3
                                << QStringList{"--strict"} << QString();
        QTest::newRow("table") << "見出し,前の文,問題の部分,後の文,答え\n一,,今日,は。,\n"
                               << QStringList() << QStringList() << 0
                               << QStringList{"2: 今日 → きょう"} << "一,,今日,は。,きょう,\r\n";
        QTest::newRow("no dictionary")
            << "[池]" << QStringList() << QStringList{"POBELO_MECAB_DICTIONARY=/nonexistent"} << 0
            << QStringList{"mecab-ipadic-utf8", "1: 池 → "} << "自作の問題,,池,,,\r\n";
        QTest::newRow("refused") << "# a\n[池" << QStringList() << QStringList() << 1
                                 << QStringList{"line 2"} << QString();
        QTest::newRow("onto a drill file") << two << QStringList{"-o", "x.moj"} << QStringList()
                                           << 2 << QStringList{".csv"} << QString();
    }
    void import() {
        QFETCH(QString, in);
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(int, status);
        QFETCH(QStringList, told);
        QFETCH(QString, written);
        QVERIFY(writeFile(path("in.txt"), in.toUtf8()));
        QFile::remove(path("out.csv"));
        QStringList all{"--import", "in.txt"};
        all << (args.contains("-o") ? QStringList() : QStringList{"-o", "out.csv"}) << args;
        const Result r = runSheet(all, dir_.path(), env);
        QCOMPARE(r.status, status);
        for (const QString& line : told) QVERIFY2(r.err.contains(line), qPrintable(r.err));
        QFile out(path("out.csv"));
        if (written.isEmpty()) {
            QVERIFY(!out.exists());
            QVERIFY(!QFile::exists(path("x.moj")));
        } else {
            QVERIFY(out.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(out.readAll()),
                     "\uFEFF見出し,前の文,問題の部分,後の文,答え,字体\r\n" + written);
        }
    }
};

QTEST_MAIN(SheetCliOutputsTest)
#include "test_sheetcli_outputs.moc"
