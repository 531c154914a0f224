// pobelo-sheet as teachers run it: the sheets it prints, page by page, the key beside them and
// the paper they are enlarged onto. (The files it writes or refuses and what it says are checked
// in test_sheetcli_outputs; its refusals of bad command lines in process, in test_sheetcommand.)

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cctype>
#include <cmath>

#include "mojfile.h"
#include "pdffile.h"
#include "sheetcli.h"
#include "sheetprinters.h"
#include "testtools.h"

using namespace pobelo::test;

namespace {

// The texts printed for each sheet of a trace file, one string a sheet.
QStringList sheetTexts(const QString& tracePath) {
    return jobTexts(traceFileLines(tracePath));
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

class SheetCliPagesTest : public SheetCliFixture {
    Q_OBJECT

  private slots:
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
        // Faces in turn: the document holds several, in an order that must not vary by run.
        QTest::newRow("six sheets, three faces") << 12 << "";
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
        const QStringList faces{"@ＭＳ 明朝", "ＭＳ ゴシック", "IPAexMincho"};
        for (int n = 0; n < records; ++n)
            many << numberedRecord(n, font.isEmpty() ? faces[n / 2 % 3] : font);
        QVERIFY(writeFile(work.filePath("many.moj"), mojBytes(many)));
        const auto print = [&](const QString& out, const QStringList& which) {
            return runSheet(QStringList{"many.moj"} + which + QStringList{"-o", out}, work.path(),
                            {"SOURCE_DATE_EPOCH=1700000000"})
                .status;
        };
        QCOMPARE(print("all.pdf", {"--all"}), 0);
        QCOMPARE(print("first.pdf", {"--right", "1", "--left", "2"}), 0);
        const QByteArray all = readAll(work.filePath("all.pdf"));
        for (int again = 0; again < 3; ++again) {
            QCOMPARE(print("again.pdf", {"--all"}), 0);
            QCOMPARE(readAll(work.filePath("again.pdf")), all);
        }
        QCOMPARE(PdfFile(all).info("CreationDate"), QStringLiteral("D:20231114221320Z"));
        const int sheets = (records + 1) / 2;
        QCOMPARE(pageSizes(work.filePath("all.pdf")).size(), sheets);
        if (sheets > 1 && !font.isEmpty()) {  // each other face carries a font of its own
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
};

QTEST_MAIN(SheetCliPagesTest)
#include "test_sheetcli_pages.moc"
