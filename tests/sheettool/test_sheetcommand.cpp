// The teacher's command line in process: which runs need no GUI set-up, and every refusal of a
// bad command line or an unusable file, with its message and exit status, leaving the files as
// they were.

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "mojfile.h"
#include "sheetcommand.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runCommand(const QStringList& args) {
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = SheetCommand(out, err).run(QStringList{QStringLiteral("pobelo-sheet")} + args);
    return r;
}

// Five records headed "見出し 1" to "見出し 5".
QByteArray fiveRecords() {
    QList<QStringList> records;
    for (int n = 1; n <= 5; ++n)
        records << record(QStringLiteral("見出し %1").arg(n), {{"前", "こたえ", "問", "後。"}});
    return mojBytes(records);
}

}  // namespace

class SheetCommandTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;   // the five records
    QString empty_;  // a question file without records

    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // Relative names in the rows are the working folder's.
        QVERIFY(QDir::setCurrent(dir_.path()));
        file_ = path("five.moj");
        empty_ = path("empty.moj");
        QVERIFY(writeFile(file_, fiveRecords()));
        QVERIFY(writeFile(empty_, QByteArray()));
        QVERIFY(QDir(dir_.path()).mkdir("folder.moj"));
        // Sets as the window saves them: one with the five records' hash, one with another.
        QList<QStringList> numbered;
        for (int n = 1; n <= 4; ++n) numbered << numberedRecord(n);
        QVERIFY(writeFile(path("numbered.moj"), mojBytes(numbered)));
        const QByteArray hash =
            QCryptographicHash::hash(readAll(path("numbered.moj")), QCryptographicHash::Sha256)
                .toHex();
        const QByteArray set = R"({"format": "pobelo-set", "version": 1,
            "questionFile": "numbered.moj", "sha256": "HASH", "title": "第3回",
            "font": {"name": "@IPAexMincho"},
            "pages": {"right": {"kind": "heading", "heading": 2, "flip": true,
                                "title": "第3回 2"},
                      "left": {"kind": "retest", "items": ["1:3", "4:5"], "answers": true,
                               "title": "第3回（再）"}}})";
        QVERIFY(writeFile(path("week.pobelo-set"), QByteArray(set).replace("HASH", hash)));
        QVERIFY(writeFile(path("changed.pobelo-set"), QByteArray(set).replace("HASH", "00")));
        QVERIFY(writeFile(path("past.pobelo-set"),
                          QByteArray(set).replace("HASH", hash).replace("\"1:3\"", "\"6:1\"")));
        QVERIFY(writeFile(path("typed.pobelo-set"),
                          QByteArray(set).replace("\"flip\": true", "\"flip\": \"yes\"")));
        // A file one byte past the size bound, and a set that names it.
        QFile huge(path("huge.moj"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(32) << 20) + 1));
        huge.close();
        QVERIFY(writeFile(path("huge.pobelo-set"),
                          QByteArray(set).replace("numbered.moj", "huge.moj")));
#ifndef Q_OS_WIN  // Windows has no named pipes in folders
        QCOMPARE(mkfifo(QFile::encodeName(path("pipe.pdf")).constData(), 0600), 0);
#endif
    }

    // A listing starts without the GUI application; anything else, or a line the parser refuses,
    // gets it.
    void listsOnly_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("listsOnly");
        QTest::newRow("list") << QStringList{"f.moj", "--list"} << true;
        QTest::newRow("list first") << QStringList{"--list", "f.moj"} << true;
        QTest::newRow("pair") << QStringList{"f.moj", "--right", "1", "-o", "o.pdf"} << false;
        QTest::newRow("list in a script run") << QStringList{"--script", "s", "--list"} << false;
        QTest::newRow("unknown option") << QStringList{"f.moj", "--list", "--lst"} << false;
        QTest::newRow("nothing") << QStringList{} << false;
    }

    void listsOnly() {
        QFETCH(QStringList, args);
        QFETCH(bool, listsOnly);
        QCOMPARE(SheetCommand::listsOnly(QStringList{"pobelo-sheet"} + args), listsOnly);
    }

    void helpDescribesTheTeacherModes() {
        const Run r = runCommand({"--help"});
        QCOMPARE(r.status, kExitDone);
        QCOMPARE(r.err, QString());
        for (const char* words : {"--list", "--right", "--left", "--all", "--answers", "--title",
                                  "--font", "--paper", "--script", "\"TEXT 3\"", "--flip",
                                  "--shuffle", "--review", "--count", "--seed", "--set", "--ruby"})
            QVERIFY2(r.out.contains(words), words);
        // The help option brings --help-all along; it shows the same usage.
        QCOMPARE(runCommand({"--help-all"}).out, r.out);
    }

    // The tests a teacher makes from one file, as printed: each case's job texts (the sheets,
    // then the key) must hold what it says.
    void variants() {
        struct Case {
            const char* what;
            QStringList args;
            std::function<bool(const QStringList& jobs)> holds;
        };
        const QString file = path("numbered.moj");
        const auto sheet = [&](QStringList args) {
            QFile::remove(path("v.trace"));
            const Run r = runCommand(args << "-o" << path("v.pdf") << "--trace" << path("v.trace"));
            return r.status == kExitDone ? readAll(path("v.trace")) : QByteArray();
        };
        const Case cases[] = {
            {"flipped pages show the answer and ask for the asked part",
             {file, "--right", "1", "--left", "2", "--flip", "both", "--answers", "both"},
             [](const QStringList& jobs) {
                 return jobs[0].contains("①前1の0こたえ0後0。") &&
                        jobs[0].contains("⑩前2の9こたえ9後9。") && jobs[0].contains("①漢字0") &&
                        !jobs[0].contains("①こたえ0");
             }},
            {"a review page draws from the named headings only",
             {file, "--review", "2-3", "--count", "10", "--seed", "4"},
             [](const QStringList& jobs) {
                 const QRegularExpression drawn("前(\\d)の");
                 int count = 0;
                 for (const auto& m : drawn.globalMatch(jobs[0])) {
                     ++count;
                     if (m.captured(1) != "2" && m.captured(1) != "3") return false;
                 }
                 return count == 10 && jobs[0].contains("小テスト 2〜3");
             }},
            {"a set prints as saved",
             {"--set", path("week.pobelo-set")},
             [](const QStringList& jobs) {
                 return jobs.size() == 1 && jobs[0].contains("第3回 2") &&
                        jobs[0].contains("①前2の0こたえ0後0。") &&
                        jobs[0].contains("①前1の2漢字2後2。②前4の4漢字4後4。①") &&
                        jobs[0].contains("①こたえ2");
             }},
            {"the key follows the variant printed",
             {file, "--right", "1", "--flip", "right", "--key", path("k.pdf")},
             [](const QStringList& jobs) {
                 return jobs.size() == 2 && !jobs[0].contains("①漢字0") &&
                        jobs[1].contains("①漢字0");
             }},
        };
        for (const Case& c : cases) {
            const QByteArray trace = sheet(c.args);
            QVERIFY2(!trace.isEmpty(), c.what);
            QVERIFY2(c.holds(jobTexts(QString::fromUtf8(trace).split('\n'))), c.what);
        }
        // The same seed gives the same sheet byte for byte, and says so on the page.
        const QByteArray seven = sheet({file, "--right", "1", "--shuffle", "7"});
        QVERIFY(QString::fromUtf8(seven).contains("並べ替え H"));
        QCOMPARE(sheet({file, "--right", "1", "--shuffle", "7"}), seven);
        QVERIFY(sheet({file, "--right", "1", "--shuffle", "8"}) != seven);
    }

    // A teacher's own file prints the sheets a drill program's file of the same items prints: the
    // same trace, listing and messages, but for the notes of the teacher's file. A set naming
    // either prints the same too.
    void teacherFilePrintsAsTheDrillFile_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("moj");
        QTest::addColumn<QStringList>("args");  // after the file; "--set" for a set naming it
        QTest::addColumn<QString>("notes");     // standard error of the teacher's file first

        const QString examples = qEnvironmentVariable("POBELO_TEST_DATA") + "/../../examples/";
        const QByteArray sampleCsv = readAll(examples + "sample.csv");
        const QByteArray sampleMoj = readAll(examples + "sample.moj");
        QTest::newRow("the sample, every heading")
            << sampleCsv << sampleMoj << QStringList{"--all"} << QString();
        QTest::newRow("the sample, listed")
            << sampleCsv << sampleMoj << QStringList{"--list"} << QString();
        QTest::newRow("a set naming the sample")
            << sampleCsv << sampleMoj << QStringList{"--set"} << QString();
        QList<Item> items;
        for (int i = 1; i <= 11; ++i)
            items << Item{QStringLiteral("第%1の").arg(i), "かん", "漢", "字。"};
        QTest::newRow("the textbook face, eleven items")
            << teacherCsvBytes(teacherRows("漢字", items))
            << mojBytes({record("漢字", items.mid(0, 10), "@HG教科書体"),
                         record("漢字 (2)", items.mid(10), "@HG教科書体")})
            << QStringList{"--right", "1", "--left", "2", "--answers", "both"}
            << "pobelo-sheet: own.csv: heading \"漢字\" has more than 10 items: items 11 on "
               "continue in \"漢字 (2)\"\n";
    }

    void teacherFilePrintsAsTheDrillFile() {
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, moj);
        QFETCH(QStringList, args);
        QFETCH(QString, notes);
        QList<Run> runs;
        QList<QByteArray> traces;
        for (const auto& [name, bytes] : {std::pair{QString("own.csv"), csv}, {"drill.moj", moj}}) {
            QVERIFY(writeFile(path(name), bytes));
            QStringList line{name};
            if (args == QStringList{"--set"}) {
                const QByteArray set =
                    R"({"format": "pobelo-set", "version": 1, "questionFile": "NAME",
                        "sha256": "HASH", "title": "第3回",
                        "pages": {"right": {"kind": "heading", "heading": 3, "flip": true},
                                  "left": {"kind": "review", "items": ["1:2", "5:9", "6:1"]}}})";
                const QByteArray hash =
                    QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
                QVERIFY(writeFile(
                    path("week.pobelo-set"),
                    QByteArray(set).replace("NAME", name.toUtf8()).replace("HASH", hash)));
                line = QStringList{"--set", "week.pobelo-set"};
            } else {
                line += args;
            }
            QFile::remove(path("t.trace"));
            if (!args.contains("--list"))
                line << "-o" << path("t.pdf") << "--trace" << path("t.trace");
            runs << runCommand(line);
            QCOMPARE(runs.last().status, kExitDone);
            traces << readAll(path("t.trace"));
        }
        QCOMPARE(runs[0].out, runs[1].out);
        QCOMPARE(runs[0].err, notes + runs[1].err);
        QCOMPARE(traces[0], traces[1]);
        QVERIFY(args.contains("--list") ? !runs[0].out.isEmpty() : !traces[0].isEmpty());
    }

    void listsHeadings() {
        const Run r = runCommand({file_, "--list"});
        QCOMPARE(r.status, kExitDone);
        QCOMPARE(r.out, QStringLiteral("1\t見出し 1\n2\t見出し 2\n3\t見出し 3\n4\t見出し 4\n"
                                       "5\t見出し 5\n"));
        QCOMPARE(r.err, QString());
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");  // FILE, EMPTY, FOLDER, OUT, PIPE stand for paths
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");  // all of standard error, or how it starts when it
                                               // has no end of line; $FILE and so on
        // for paths

        const QString help = "\nTry pobelo-sheet --help.\n";
        QTest::newRow("nothing")
            << QStringList{} << kExitUsage
            << "Nothing to do: give a question file or --script FILE (see --help).\n";
        QTest::newRow("no file") << QStringList{"--list"} << kExitUsage
                                 << "pobelo-sheet: no question file given" + help;
        QTest::newRow("two files")
            << QStringList{"FILE", "FILE", "--list"} << kExitUsage
            << "pobelo-sheet: one question file at a time, not \"$FILE\"" + help;
        QTest::newRow("no mode")
            << QStringList{"FILE", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: give one of --list, --right N, --review FIRST-LAST, --all or --set" +
                   help;
        QTest::newRow("two modes")
            << QStringList{"FILE", "--list", "--all"} << kExitUsage
            << "pobelo-sheet: give one of --list, --right N, --review FIRST-LAST, --all or --set" +
                   help;
        QTest::newRow("unknown option") << QStringList{"FILE", "--lst"} << kExitUsage
                                        << "pobelo-sheet: Unknown option 'lst'." + help;
        QTest::newRow("left alone")
            << QStringList{"FILE", "--left", "2", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --left and --review-left go with --right or --review" + help;
        QTest::newRow("no output")
            << QStringList{"FILE", "--right", "1"} << kExitUsage
            << "pobelo-sheet: give the PDF file to write with -o OUT.pdf" + help;
        QTest::newRow("list with output")
            << QStringList{"FILE", "--list", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --list takes no --output" + help;
        QTest::newRow("heading zero")
            << QStringList{"FILE", "--right", "0", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --right needs a heading number from 1 (see --list), not \"0\"" + help;
        QTest::newRow("heading not a number")
            << QStringList{"FILE", "--right", "1", "--left", "x", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --left needs a heading number from 1 (see --list), not \"x\"" + help;
        QTest::newRow("right twice")
            << QStringList{"FILE", "--right", "1", "--right", "2", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --right is given more than once" + help;
        QTest::newRow("bad answers")
            << QStringList{"FILE", "--all", "--answers", "all", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --answers takes right, left or both, not \"all\"" + help;
        QTest::newRow("ISO paper")
            << QStringList{"FILE", "--all", "--paper", "B5", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --paper takes A4, B4 or A3, not \"B5\"" + help;
        QTest::newRow("ruby past grade 6")
            << QStringList{"FILE", "--all", "--ruby", "7", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --ruby takes none, 1 to 6 or all, not \"7\"" + help;
        QTest::newRow("empty font") << QStringList{"FILE", "--all", "--font", " ", "-o", "OUT"}
                                    << kExitUsage << "pobelo-sheet: --font needs a name" + help;
        QTest::newRow("title of two lines")
            << QStringList{"FILE", "--all", "--title", "a\nb", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --title must be one line" + help;
        QTest::newRow("empty key")
            << QStringList{"FILE", "--all", "--key", "", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: give the PDF file for the answer key with --key KEY.pdf" + help;
        QTest::newRow("key is the output")
            << QStringList{"FILE", "--all", "--key", "OUT", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: KEY and OUT are the same file" + help;
        QTest::newRow("output over the question file")
            << QStringList{"FILE", "--all", "-o", "FILE"} << kExitUsage
            << "pobelo-sheet: OUT $FILE is the question file $FILE itself" + help;
        QTest::newRow("script with a file")
            << QStringList{"--script", "FILE", "FILE"} << kExitUsage
            << "pobelo-sheet: --script takes only --trace; the script opens the file and prints." +
                   help;
        QTest::newRow("right past the list")
            << QStringList{"FILE", "--right", "6", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: $FILE has headings 1 to 5, not 6 (see --list)\n";
        QTest::newRow("left past the list")
            << QStringList{"FILE", "--right", "5", "--left", "9", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: $FILE has headings 1 to 5, not 9 (see --list)\n";
        QTest::newRow("missing file")
            << QStringList{"missing.moj", "--right", "1", "-o", "OUT"} << kExitFileProblem
            << "pobelo-sheet: missing.moj: no such question "
               "file\n(「missing.moj」が見つかりません。)\n";
        QTest::newRow("file without records")
            << QStringList{"EMPTY", "--all", "-o", "OUT"} << kExitFileProblem
            << "pobelo-sheet: $EMPTY: holds no complete question record\n";
        QTest::newRow("folder") << QStringList{"FOLDER", "--list"} << kExitFileProblem
                                << "pobelo-sheet: $FOLDER: is a folder, not a question file\n";
#ifndef Q_OS_WIN  // no named pipes in folders there
        QTest::newRow("output is a pipe")
            << QStringList{"FILE", "--all", "-o", "PIPE"} << kExitFileProblem
            << "pobelo-sheet: cannot write $PIPE: it is not a regular file";
#endif
        QTest::newRow("missing file, list")
            << QStringList{"missing.moj", "--list"} << kExitFileProblem
            << "pobelo-sheet: missing.moj: no such question "
               "file\n(「missing.moj」が見つかりません。)\n";
#ifndef Q_OS_WIN  // no /dev there
        QTest::newRow("output is a device")
            << QStringList{"FILE", "--all", "-o", "/dev/full"} << kExitFileProblem
            << "pobelo-sheet: cannot write /dev/full: it is not a regular file";
#endif
        QTest::newRow("output folder missing")
            << QStringList{"FILE", "--all", "-o", "nowhere/out.pdf"} << kExitFileProblem
#ifdef Q_OS_WIN  // the system's own words follow
            << "pobelo-sheet: cannot write nowhere/out.pdf: ";
#else
            << "pobelo-sheet: cannot write nowhere/out.pdf: No such file or directory";
#endif
        QTest::newRow("flip up") << QStringList{"FILE", "--right", "1", "--flip", "up", "-o", "OUT"}
                                 << kExitUsage
                                 << "pobelo-sheet: --flip takes right, left or both, not \"up\"" +
                                        help;
        QTest::newRow("count without a review")
            << QStringList{"FILE", "--right", "1", "--count", "3", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --count and --seed go with --review or --review-left" + help;
        QTest::newRow("range backwards")
            << QStringList{"FILE", "--review", "3-2", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --review needs the first and last heading numbers, as 3-5, not "
               "\"3-2\"" +
                   help;
        QTest::newRow("review past the file")
            << QStringList{"FILE", "--review", "4-6", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: $FILE has headings 1 to 5, not 6 (see --list)\n";
        QTest::newRow("a set and a question file")
            << QStringList{"--set", "week.pobelo-set", "FILE", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --set names its own question file, not \"$FILE\"" + help;
        QTest::newRow("a set and a heading")
            << QStringList{"--set", "week.pobelo-set", "--right", "1", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: --set takes no --right: the set holds the sheet's choices" + help;
        QTest::newRow("a set over itself")
            << QStringList{"--set", "week.pobelo-set", "-o", "week.pobelo-set"} << kExitUsage
            << "pobelo-sheet: week.pobelo-set is the set file week.pobelo-set itself" + help;
        QTest::newRow("a changed question file")
            << QStringList{"--set", "changed.pobelo-set", "-o", "OUT"} << kExitFileProblem
            << "pobelo-sheet: nothing written: " + path("numbered.moj") +
                   " has changed since the set changed.pobelo-set was saved; open the set in "
                   "Pobelo, check the sheet and save the set again\n";
        QTest::newRow("a set past the file")
            << QStringList{"--set", "past.pobelo-set", "-o", "OUT"} << kExitUsage
            << "pobelo-sheet: the set names heading 6; the question file has headings 1 to 4\n"
               "pobelo-sheet: nothing written: the set past.pobelo-set names what " +
                   path("numbered.moj") + " does not hold\n";
        QTest::newRow("no set") << QStringList{"--set", "none.pobelo-set", "-o", "OUT"}
                                << kExitFileProblem
                                << "pobelo-sheet: none.pobelo-set: no such file\n";
        QTest::newRow("a set of a wrong type")
            << QStringList{"--set", "typed.pobelo-set", "-o", "OUT"} << kExitFileProblem
            << "pobelo-sheet: typed.pobelo-set: pages.right.flip must be true or false, not "
               "\"yes\"\n";
        QTest::newRow("a file past the size bound")
            << QStringList{"HUGE", "--list"} << kExitFileProblem
            << "pobelo-sheet: $HUGE: larger than 32 MB, which no question file is: not read\n";
        QTest::newRow("a set naming a file past the size bound")
            << QStringList{"--set", "huge.pobelo-set", "-o", "OUT"} << kExitFileProblem
            << "pobelo-sheet: $HUGE: larger than 32 MB, which no question file is: not read\n";
        QTest::newRow("trace over the question file")
            << QStringList{"FILE", "--all", "-o", "OUT", "--trace", "FILE"} << kExitUsage
            << "pobelo-sheet: cannot write the trace file $FILE: it is the question file";
    }

    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);

        // An earlier sheet at OUT must come through a refused run untouched.
        const QByteArray earlier("an earlier sheet");
        QVERIFY(writeFile(path("out.pdf"), earlier));
        const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const QMap<QString, QString> names{{"FILE", file_},
                                           {"EMPTY", empty_},
                                           {"FOLDER", path("folder.moj")},
                                           {"HUGE", path("huge.moj")},
                                           {"OUT", path("out.pdf")},
                                           {"PIPE", path("pipe.pdf")}};
        for (auto it = names.begin(); it != names.end(); ++it) {
            for (QString& a : args)
                if (a == it.key()) a = it.value();
        }
        const Run r = runCommand(args);
        for (auto it = names.begin(); it != names.end(); ++it)
            message.replace('$' + it.key(), it.value());
        // Where the output files tell the reason, only the start of the line is the command's.
        QCOMPARE(message.endsWith('\n') ? r.err : r.err.left(message.size()), message);
        QVERIFY(r.err.endsWith('\n'));
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, QString());
        QCOMPARE(readAll(path("out.pdf")), earlier);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        QCOMPARE(readAll(file_), fiveRecords());
    }
};

QTEST_MAIN(SheetCommandTest)
#include "test_sheetcommand.moc"
