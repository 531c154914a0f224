// pobelo-sheet as teachers run it: the program's messages, exit statuses and the PDF it leaves.
// (Its refusals of bad command lines are checked in process, in test_sheetcommand.)

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cctype>
#include <cmath>
#include <csignal>
#include <thread>

#include "mojfile.h"
#include "pdffile.h"
#include "sheetprinters.h"
#include "testtools.h"

using namespace pobelo::test;

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

// Runs program with args, as from cron or ssh: without XDG_RUNTIME_DIR, which makes Qt warn.
// env: variables to set ("NAME=value").
Result run(const QString& program, const QStringList& args, const QString& workingDir,
           const QStringList& env = {}) {
    QProcess p;
    p.setWorkingDirectory(workingDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString& variable : env)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    p.setProcessEnvironment(environment);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Result runSheet(const QStringList& args, const QString& workingDir, const QStringList& env = {}) {
    return run(QStringLiteral(POBELO_SHEET_PROGRAM), args, workingDir, env);
}

// The temporary files left in folder.
QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList({".pobelo-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

// The texts printed for each sheet of a trace file, one string a sheet.
QStringList sheetTexts(const QString& tracePath) {
    return jobTexts(traceFileLines(tracePath));
}

// Five records whose texts carry their own mark, so that a sheet shows which records it holds:
// the sentences of record n contain "文" and its mark, the answers "解" and its mark. Record 3
// names a vertical-writing font.
const QStringList kMarks{"甲", "乙", "丙", "丁", "戊"};
const QStringList kHeadings{"一年 読み", "二年 読み, 書き", "三年 書き", "四年 読み", "五年 書き"};

QList<QStringList> markedRecords() {
    QList<QStringList> records;
    for (int n = 0; n < kMarks.size(); ++n) {
        QList<Item> items;
        for (int i = 0; i < 10; ++i)
            items.append({"文" + kMarks[n], "解" + kMarks[n], "字", "です。"});
        records << record(kHeadings[n], items, n == 3 ? "@ＭＳ 明朝" : "ＭＳ 明朝");
    }
    return records;
}

// The box of the first page's ink in shares of the page's width and height, from a grey rendering
// at 20 dpi; an empty box when the page cannot be rendered.
QRectF inkShare(const QString& pdf) {
    const QString root = pdf + ".ink";
    runTool("pdftoppm", {"-gray", "-r", "20", "-singlefile", pdf, root});
    const QByteArray pgm = readAll(root + ".pgm");
    // "P5", the width, the height and the greatest value, then a byte a pixel.
    QList<QByteArray> header;
    qsizetype at = 0;
    while (header.size() < 4 && at < pgm.size()) {
        while (at < pgm.size() && std::isspace(uchar(pgm[at]))) ++at;
        const qsizetype start = at;
        while (at < pgm.size() && !std::isspace(uchar(pgm[at]))) ++at;
        header << pgm.mid(start, at - start);
    }
    ++at;
    if (header.size() < 4 || header[0] != "P5") return {};
    const int width = header[1].toInt();
    const int height = header[2].toInt();
    if (width <= 0 || height <= 0 || pgm.size() - at < qsizetype(width) * height) return {};
    QRect ink;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (uchar(pgm[at + qsizetype(y) * width + x]) < 128) ink |= QRect(x, y, 1, 1);
        }
    }
    return QRectF(double(ink.x()) / width, double(ink.y()) / height, double(ink.width()) / width,
                  double(ink.height()) / height);
}

}  // namespace

class SheetCliTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;  // the five marked records

    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        file_ = path("marked.moj");
        QVERIFY(writeFile(file_, mojBytes(markedRecords())));
        QVERIFY(QDir(dir_.path()).mkdir("folder.moj"));
    }

    void listsHeadingsNumberedFromOne() {
        const Result r = runSheet({file_, "--list"}, dir_.path());
        QCOMPARE(r.status, 0);
        QStringList expected;
        for (int n = 0; n < kHeadings.size(); ++n)
            expected << QStringLiteral("%1\t%2").arg(n + 1).arg(kHeadings[n]);
        QCOMPARE(r.out, expected.join('\n') + '\n');
    }

    void sheetsArePages_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("sizes");
        QTest::addColumn<QString>("progress");

        const QString landscape = "842x595";
        const QString portrait = "595x842";
        // A face that is not installed is named once, with the face printed instead.
        const QString upright = "ＭＳ 明朝 is not installed: printed in IPAMincho\n";
        const QString vertical = "@ＭＳ 明朝 is not installed: printed in IPAMincho\n";
        QTest::newRow("right only")
            << QStringList{"--right", "1"} << QStringList{landscape} << upright;
        QTest::newRow("right and left")
            << QStringList{"--right", "5", "--left", "2"} << QStringList{landscape} << upright;
        QTest::newRow("the file's vertical font")
            << QStringList{"--right", "1", "--left", "4"} << QStringList{portrait} << vertical;
        QTest::newRow("font option after the file's font")
            << QStringList{"--right", "4", "--font", "IPAexMincho"} << QStringList{landscape} << "";
        QTest::newRow("textbook face")
            << QStringList{"--right", "4", "--font", "@HG教科書体"} << QStringList{portrait}
            << "@HG教科書体 is not installed: printed in Klee One\n";
        // Five headings: two full sheets, then the fifth alone; the second sheet's left page
        // holds the record that names a vertical font.
        QTest::newRow("all") << QStringList{"--all"} << QStringList{landscape, portrait, landscape}
                             << "sheet 1/3\n" + upright + "sheet 2/3\n" + vertical + "sheet 3/3\n";
        QTest::newRow("all, vertical font")
            << QStringList{"--all", "--font", "@IPAexMincho", "--answers", "both"}
            << QStringList{portrait, portrait, portrait} << "sheet 1/3\nsheet 2/3\nsheet 3/3\n";
    }

    void sheetsArePages() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, sizes);
        QFETCH(QString, progress);
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("poppler's pdfinfo is needed to count the pages");

        const QString out = path("sheets.pdf");
        QVERIFY(writeFile(out, "an earlier sheet"));  // replaced by the new one
        Result r = runSheet(QStringList{file_} + args + QStringList{"-o", out}, dir_.path());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, progress);
        QCOMPARE(pageSizes(out), sizes);
    }

    void allPutsEachHeadingOnceInOrder() {
        // Sheet k holds headings 2k-1 and 2k with their answers; the lone last heading's sheet
        // has no left-page questions or answers left over from the sheet before.
        const QString trace = path("all.trace");
        const Result r = runSheet({file_, "--all", "--answers", "both", "--title", "漢字",
                                   "--trace", trace, "-o", path("all.pdf")},
                                  dir_.path());
        QCOMPARE(r.status, 0);
        const QStringList sheets = sheetTexts(trace);
        QCOMPARE(sheets.size(), 3);
        for (int sheet = 0; sheet < 3; ++sheet) {
            for (int n = 0; n < kMarks.size(); ++n) {
                const bool on = n / 2 == sheet;
                QCOMPARE(sheets[sheet].contains("文" + kMarks[n]), on);
                QCOMPARE(sheets[sheet].contains("解" + kMarks[n]), on);
                QCOMPARE(sheets[sheet].contains(QStringLiteral("漢字 %1").arg(n + 1)), on);
            }
        }
        // The full sheets' part of the run's trace is their own traces one after the other, as
        // printed one sheet a run. (The last sheet's cleared left page still knows its old asked
        // parts' places, where it draws side lines of no length.)
        QByteArray each;
        for (const QStringList& pair : {QStringList{"--right", "1", "--left", "2"},
                                        QStringList{"--right", "3", "--left", "4"}}) {
            const Result one =
                runSheet(QStringList{file_} + pair +
                             QStringList{"--answers", "both", "--title", "漢字", "--trace",
                                         path("one.trace"), "-o", path("one.pdf")},
                         dir_.path());
            QCOMPARE(one.status, 0);
            each += readAll(path("one.trace"));
        }
        QVERIFY(each.count("\"endDoc\"") == 2);
        QVERIFY(readAll(trace).startsWith(each));
    }

    // A sheet with a sentence off the paper and a title over the name field.
    void findingsFitAndStrict_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("findings");
        const QStringList both{"sheet 1, 右ページ, 表題: 表題が「名前」にかかります（5字）",
                               "sheet 1, 右ページ, ③: ③ の文が用紙の下にはみ出します（8字）",
                               "sheet 1, 左ページ, 表題: 表題が「名前」にかかります（3字）"};
        QTest::newRow("as it stands") << QStringList{} << 0 << both;
        QTest::newRow("strict") << QStringList{"--strict"} << 3 << both;
        // Fitted, the titles stay clear of the name field; the sentence is too long even at the
        // smallest size.
        const QStringList tooLong{
            "sheet 1, 右ページ, ③: ③ の文が8ポイントでも解答欄にかかります（14字）"};
        QTest::newRow("fit") << QStringList{"--fit"} << 0 << tooLong;
        QTest::newRow("fit, strict") << QStringList{"--fit", "--strict"} << 3 << tooLong;
    }

    void findingsFitAndStrict() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, findings);
        QList<Item> items{{"", "", "", ""}, {"", "", "", ""}};
        items.append({QString(40, QChar(u'あ')), "かんじ", "漢字", "ですよ。"});
        const QString file = path("long.moj");
        QVERIFY(writeFile(file, mojBytes({record("長い", items)})));
        const QString out = path("long.pdf");
        QVERIFY(writeFile(out, "an earlier sheet"));
        Result r =
            runSheet(QStringList{file, "--right", "1", "--title", "漢字の読みかた小テスト第一回"} +
                         options + QStringList{"-o", out},
                     dir_.path());
        QCOMPARE(r.status, status);
        QStringList lines = r.err.split('\n', Qt::SkipEmptyParts).filter("sheet 1,");
        QVERIFY2(lines == findings, qPrintable(lines.join('\n')));
        QCOMPARE(readAll(out) == "an earlier sheet", status != 0);
    }

    // The key: the same sheets, in the same order, with the answers of both pages.
    // Characters beyond the BMP and half-width kana, in a UTF-8 file: one cell each, the side
    // line beside the asked character, and the PDF's text the file's text, item by item.
    void everyCharacterInItsCellAndInTheText_data() {
        QTest::addColumn<QString>("font");
        // The side lines of items ① and ② on the right page.
        QTest::addColumn<QStringList>("sideLines");
        QTest::newRow("vertical") << "@IPAexMincho"
                                  << QStringList{R"("x1":1500,"y1":1000,"x2":1800,"y2":1000)",
                                                 R"("x1":1200,"y1":1700,"x2":1500,"y2":1700)"};
        QTest::newRow("upright") << "IPAexMincho"
                                 << QStringList{R"("x1":15403,"y1":1400,"x2":15403,"y2":1700)",
                                                R"("x1":14703,"y1":1100,"x2":14703,"y2":1400)"};
    }
    void everyCharacterInItsCellAndInTheText() {
        QFETCH(QString, font);
        QFETCH(QStringList, sideLines);
        const QList<Item> right{{"先生に", "しか", "𠮟", "られる。"},
                                {"𩸽を", "や", "焼", "く。"},
                                {"ﾗｰﾒﾝを", "た", "食", "べる。"},
                                {"ｶﾞｯｺｳ(", "がっこう", "学校", ")へ行く。"},
                                {"Aさんと", "ある", "歩", "く。"},
                                {"NHKで", "み", "見", "る。"},
                                {"123円の", "しな", "品", "物。"},
                                {"12月に", "ゆき", "雪", "がふる。"},
                                {"", "あさ", "朝", "、ちょっと待ってね〜。"},
                                {"", "ちい", "小", "さな山。"}};
        const QList<Item> left(right.rbegin(), right.rend());
        QString text;
        for (const QStringList& r : {record("右", right), record("左", left)})
            text += '"' + r.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
        const QString file = path("utf8.moj");
        QVERIFY(writeFile(file, text.toUtf8()));
        const QString out = path("utf8.pdf");
        const QString trace = path("utf8.trace");
        const Result r = runSheet({file, "--right", "1", "--left", "2", "--font", font, "--answers",
                                   "both", "--trace", trace, "-o", out},
                                  dir_.path());
        QCOMPARE(r.status, 0);
        const QString ops = QString::fromUtf8(readAll(trace));
        QVERIFY(ops.contains(R"("op":"printText","text":"𩸽")"));
        QVERIFY(ops.contains(R"("op":"printText","text":"ｶﾞ")"));
        for (const QString& line : sideLines) QVERIFY2(ops.contains(line), qPrintable(line));

        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("poppler's pdftotext is needed to read the text back");
        QProcess p;
        p.start("pdftotext", {"-raw", out, "-"});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
        lines.removeAll(QString());
        QStringList expected;
        for (const QList<Item>* page : {&right, &left}) {
            for (int i = 0; i < 10; ++i) {
                const Item& item = (*page)[i];
                expected << pobelo::itemNumber(i) + item.before + item.asked + item.after;
            }
        }
        const QStringList sentences = lines.filter(QRegularExpression("^[①-⑩].*。$"));
        QVERIFY2(sentences == expected, qPrintable(lines.join('\n')));
    }

    void keyHoldsEverySheetWithAnswers() {
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("poppler's pdfinfo is needed to count the pages");
        const QString trace = path("key.trace");
        const QString key = path("key.pdf");
        const Result r = runSheet({file_, "--all", "--answers", "left", "--key", key, "--trace",
                                   trace, "-o", path("sheets.pdf")},
                                  dir_.path());
        QCOMPARE(r.status, 0);
        QCOMPARE(pageSizes(key), pageSizes(path("sheets.pdf")));
        QCOMPARE(pageSizes(key).size(), 3);
        const QStringList sheets = sheetTexts(trace);
        QCOMPARE(sheets.size(), 6);
        for (int sheet = 0; sheet < 3; ++sheet) {
            for (int n = 2 * sheet; n < std::min<int>(2 * sheet + 2, kMarks.size()); ++n) {
                // The sheets have the left pages' answers; the key has all of them.
                QCOMPARE(sheets[sheet].contains("解" + kMarks[n]), n % 2 == 1);
                QVERIFY(sheets[3 + sheet].contains("解" + kMarks[n]));
                QVERIFY(sheets[3 + sheet].contains("文" + kMarks[n]));
            }
        }
        // A key that cannot be written leaves both files as they were.
        QVERIFY(writeFile(path("sheets.pdf"), "an earlier sheet"));
        const Result refused =
            runSheet({file_, "--right", "1", "--key", path("folder.moj"), "-o", path("sheets.pdf")},
                     dir_.path());
        QCOMPARE(refused.status, 1);
        QCOMPARE(readAll(path("sheets.pdf")), QByteArray("an earlier sheet"));
    }

    // On JIS B4 and A3 the A4 sheet comes out enlarged to fill the paper, as a copier enlarges
    // it: the paper's size in the sheet's orientation, for OUT and KEY alike, the same share of
    // the page inked and the same text, and the trace of the A4 sheet.
    void paperEnlargesTheSheet_data() {
        QTest::addColumn<QStringList>("args");  // after the question file, without --paper
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QStringList>("sizes");
        QTest::addColumn<QString>("script");  // the same sheet by the script's verbs, or none

        const QStringList upright{"--right", "1", "--left", "2"};
        const QStringList vertical = upright + QStringList{"--font", "@IPAexMincho"};
        const QString uprightScript = "open FILE\nchoose 0\nchoose 1\npaper PAPER\nprint OUT\n";
        QTest::newRow("A4, upright") << upright << "A4" << QStringList{"842x595"} << "";
        QTest::newRow("JIS B4, upright") << upright << "B4" << QStringList{"1032x729"} << "";
        QTest::newRow("A3, upright") << upright << "A3" << QStringList{"1191x842"} << uprightScript;
        QTest::newRow("A4, vertical") << vertical << "A4" << QStringList{"595x842"} << "";
        QTest::newRow("JIS B4, vertical")
            << vertical << "B4" << QStringList{"729x1032"}
            << "open FILE\nchoose 0\nchoose 1\nfont 15 0 0 @IPAexMincho\npaper PAPER\nprint OUT\n";
        QTest::newRow("A3, vertical") << vertical << "A3" << QStringList{"842x1191"} << "";
        // Pages of both orientations in one document.
        QTest::newRow("b4, every heading") << QStringList{"--all"} << "b4"
                                           << QStringList{"1032x729", "729x1032", "1032x729"} << "";
    }
    void paperEnlargesTheSheet() {
        QFETCH(QStringList, args);
        QFETCH(QString, paper);
        QFETCH(QStringList, sizes);
        QFETCH(QString, script);
        for (const char* tool : {"pdfinfo", "pdftoppm", "pdftotext"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("poppler's pdfinfo, pdftoppm and pdftotext are needed to read the pages");
        }
        const auto print = [&](const QString& name, const QStringList& paperArgs) {
            return runSheet(
                       QStringList{file_} + args + paperArgs +
                           QStringList{"-o", path(name + ".pdf"), "--key", path(name + "-key.pdf"),
                                       "--trace", path(name + ".trace")},
                       dir_.path())
                .status;
        };
        QCOMPARE(print("a4", {}), 0);
        QCOMPARE(print("paper", {"--paper", paper}), 0);
        QCOMPARE(pageSizes(path("paper.pdf")), sizes);
        QCOMPARE(pageSizes(path("paper-key.pdf")), sizes);
        QCOMPARE(readAll(path("paper.trace")), readAll(path("a4.trace")));
        QCOMPARE(runTool("pdftotext", {"-raw", path("paper.pdf"), "-"}),
                 runTool("pdftotext", {"-raw", path("a4.pdf"), "-"}));
        const QRectF a4 = inkShare(path("a4.pdf"));
        const QRectF enlarged = inkShare(path("paper.pdf"));
        QVERIFY(!a4.isEmpty());
        const auto edges = [](const QRectF& r) {
            return QList<double>{r.left(), r.top(), r.right(), r.bottom()};
        };
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(std::abs(edges(enlarged)[i] - edges(a4)[i]) < 0.01,
                     qPrintable(QStringLiteral("edge %1: %2 on A4, %3 enlarged")
                                    .arg(i)
                                    .arg(edges(a4)[i])
                                    .arg(edges(enlarged)[i])));
        }

        if (script.isEmpty()) return;
        QVERIFY(writeFile(path("paper.txt"), script.replace("FILE", file_)
                                                 .replace("PAPER", paper)
                                                 .replace("OUT", path("script.pdf"))
                                                 .toUtf8()));
        QCOMPARE(runSheet({"--script", path("paper.txt")}, dir_.path()).status, 0);
        QCOMPARE(pageSizes(path("script.pdf")), sizes);
    }

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

    void sameTraceAsTheWindowActions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("script");  // FILE and OUT stand for paths

        QTest::newRow("right only")
            << QStringList{"--right", "3"} << "open FILE\nchoose 2\nprint OUT\n";
        QTest::newRow("right and left, answers on the left")
            << QStringList{"--right", "2", "--left", "1", "--answers", "left"}
            << "open FILE\nchoose 1\nchoose 0\ntick Check2 1\nprint OUT\n";
        QTest::newRow("title, font and both answers")
            << QStringList{"--right",       "4",      "--left",       "4",         "--title",
                           "まとめ テスト", "--font", "@IPAexMincho", "--answers", "both"}
            << "open FILE\ntype まとめ テスト\nchoose 3\nchoose 3\ntick Check1 1\n"
               "tick Check2 1\nfont 15 0 0 @IPAexMincho\nprint OUT\n";
    }

    void sameTraceAsTheWindowActions() {
        QFETCH(QStringList, args);
        QFETCH(QString, script);

        const Result cli =
            runSheet(QStringList{file_} + args +
                         QStringList{"-o", path("cli.pdf"), "--trace", path("cli.trace")},
                     dir_.path());
        QCOMPARE(cli.status, 0);
        QFile scriptFile(path("actions.txt"));
        QVERIFY(scriptFile.open(QIODevice::WriteOnly));
        scriptFile.write(script.replace("FILE", file_).replace("OUT", path("script.pdf")).toUtf8());
        scriptFile.close();
        const Result scripted = runSheet(
            {"--script", path("actions.txt"), "--trace", path("script.trace")}, dir_.path());
        QCOMPARE(scripted.status, 0);

        const QByteArray trace = readAll(path("cli.trace"));
        QVERIFY(trace.contains("\"op\":\"endDoc\""));
        QCOMPARE(trace, readAll(path("script.trace")));
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

    // Every sheet is one page holding its text once, in order; a page after the first (which
    // carries the font) costs at most 2.5 KiB, where a second copy of its content (the text
    // layer appended as an update) made it some 4 KiB; and with SOURCE_DATE_EPOCH set the same
    // sheets come out byte for byte.
    void pagesOfText_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("font");
        QTest::newRow("one sheet, vertical") << 2 << "@ＭＳ 明朝";
        QTest::newRow("three sheets, upright") << 6 << "ＭＳ 明朝";
        QTest::newRow("twelve sheets, vertical") << 23 << "@ＭＳ 明朝";
    }
    void pagesOfText() {
        QFETCH(int, records);
        QFETCH(QString, font);
        for (const char* tool : {"pdfinfo", "pdftotext"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("poppler's pdfinfo and pdftotext are needed to read the pages");
        }
        QTemporaryDir work;
        QList<QStringList> many;
        for (int n = 0; n < records; ++n) many << numberedRecord(n, font);
        QVERIFY(writeFile(work.filePath("many.moj"), mojBytes(many)));
        const auto print = [&](const QString& out, const QStringList& which) {
            return runSheet(QStringList{"many.moj"} + which + QStringList{"-o", out}, work.path(),
                            {"SOURCE_DATE_EPOCH=1700000000"})
                .status;
        };
        QCOMPARE(print("all.pdf", {"--all"}), 0);
        QCOMPARE(print("again.pdf", {"--all"}), 0);
        QCOMPARE(print("first.pdf", {"--right", "1", "--left", "2"}), 0);
        const QByteArray all = readAll(work.filePath("all.pdf"));
        QCOMPARE(readAll(work.filePath("again.pdf")), all);
        QCOMPARE(PdfFile(all).info("CreationDate"), QStringLiteral("D:20231114221320Z"));
        const int sheets = (records + 1) / 2;
        QCOMPARE(pageSizes(work.filePath("all.pdf")).size(), sheets);
        if (sheets > 1) {
            const qint64 first = readAll(work.filePath("first.pdf")).size();
            const qint64 perPage = (all.size() - first) / (sheets - 1);
            QVERIFY2(perPage <= 2560, qPrintable(QString::number(perPage)));
        }
        const QString text = runTool("pdftotext", {"-raw", work.filePath("all.pdf"), "-"});
        qsizetype at = 0;
        for (int n = 0; n < records; ++n) {
            for (int i = 0; i < 10; ++i) {
                const QString sentence =
                    pobelo::itemNumber(i) + QStringLiteral("前%1の%2漢字%2後%2。\n").arg(n).arg(i);
                QCOMPARE(text.count(sentence), 1);
                const qsizetype found = text.indexOf(sentence);
                QVERIFY2(found > at, qPrintable(sentence));
                at = found;
            }
        }
        if (!QStandardPaths::findExecutable("qpdf").isEmpty()) {
            QProcess check;
            check.start("qpdf", {"--check", work.filePath("all.pdf")});
            QVERIFY(check.waitForFinished(60000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }
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
};

QTEST_MAIN(SheetCliTest)
#include "test_sheetcli.moc"
