#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "mojfile.h"
#include "sheetscript.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

struct Run {
    int status = 0;
    QStringList dumps;
    QString errors;
    QStringList trace;
};

Run run(const QString& script) {
    SheetSession session;
    session.trace().setKeepLines(true);
    QString source = script, out, err;
    QTextStream in(&source), outStream(&out), errStream(&err);
    Run r;
    r.status = runScript(in, outStream, errStream, session);
    outStream.flush();
    errStream.flush();
    r.dumps = out.split('\n', Qt::SkipEmptyParts);
    r.errors = err;
    r.trace = session.trace().lines();
    return r;
}

QJsonObject parse(const QString& dump) {
    return QJsonDocument::fromJson(dump.toUtf8()).object();
}

}  // namespace

class SheetScriptTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;

  private slots:
    void initTestCase() {
        QList<QStringList> records;
        for (int n = 0; n < 3; ++n)
            records << numberedRecord(n, n == 2 ? "@ＭＳ 明朝" : "ＭＳ 明朝");
        file_ = dir_.filePath("three.moj");
        QVERIFY(writeFile(file_, mojBytes(records)));
    }

    void startDumpIsExact() {
        const Run r = run("dump\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.dumps.size(), 1);
        QString labels;
        for (int a = 1; a <= 6; ++a) {
            QStringList elements;
            for (int i = 0; i < 10; ++i) {
                const QString caption = (a == 1 || a == 4) ? QString::number(i + 1) : QString();
                elements << QStringLiteral(R"({"caption":"%1","enabled":%2})")
                                .arg(caption, a <= 3 ? "true" : "false");
            }
            labels += QStringLiteral(R"("Label%1":[%2],)").arg(a).arg(elements.join(','));
        }
        const QString zeros = "[0,0,0,0,0,0,0,0,0,0,0]";
        const QString empties = R"(["","","","","","","","","","",""])";
        const QString expected =
            "{" + labels +
            R"("Label51":"","Label52":"","Check1":0,"Check2":0,"Image1":true,"Image2":false,"Image3":true,)"
            R"("Image4":true,"Image5":true,"Image6":true,"Command1":{"caption":"Font","enabled":false},)"
            R"("Command2":{"caption":"Print","enabled":false},"prt":{"enabled":false},"Text3":"",)"
            R"("Combo1":{"list":[],"listIndex":-1},"currentRecord":0,"recordCount":0,)"
            R"("rightBeforeLengths":)" +
            zeros + R"(,"rightAnswers":)" + empties + R"(,"leftBeforeLengths":)" + zeros +
            R"(,"leftAnswers":)" + empties +
            R"(,"messages":[],"browser":[],"findings":[],)"
            R"("pages":[{"kind":"none","flip":false,"shuffle":0,"items":[],"missed":[]},)"
            R"({"kind":"none","flip":false,"shuffle":0,"items":[],"missed":[]}]})";
        QCOMPARE(r.dumps[0], expected);
    }

    void openChooseAndMessages() {
        const Run r = run(QStringLiteral("# comment\n\nopen %1\nchoose 2\ndump\nopen %2\ndump\n")
                              .arg(file_, dir_.filePath("missing.moj")));
        QCOMPARE(r.status, 0);
        const QJsonObject first = parse(r.dumps[0]);
        QCOMPARE(first["Combo1"].toObject()["list"].toArray().size(), 3);
        QCOMPARE(first["Combo1"].toObject()["listIndex"].toInt(), 2);
        QCOMPARE(first["recordCount"].toInt(), 3);
        QCOMPARE(first["Label51"].toString(), QStringLiteral("小テスト 3"));
        QCOMPARE(first["Command1"].toObject()["caption"].toString(), QStringLiteral("@ＭＳ 明朝"));
        const QJsonObject second = parse(r.dumps[1]);
        QCOMPARE(second["messages"].toArray().size(), 1);
        QCOMPARE(second["Combo1"].toObject()["list"].toArray().size(), 0);
        QCOMPARE(second["recordCount"].toInt(), 0);
        QCOMPARE(second["Label3"].toArray()[0].toObject()["caption"].toString(), QString());
    }

    void badLinesStopTheRunWithStatus2_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");  // what the error says; "": not checked
        QTest::newRow("unknown") << "jump 3"
                                 << "";
        QTest::newRow("choose text") << "choose one"
                                     << "";
        QTest::newRow("click bad") << "click Image7"
                                   << "";
        QTest::newRow("tick bad") << "tick Check1 2"
                                  << "";
        QTest::newRow("font short") << "font 12 0 IPAexMincho"
                                    << "";
        QTest::newRow("menu bad") << "menu fo"
                                  << "";
        QTest::newRow("open bare") << "open"
                                   << "";
        QTest::newRow("dump args") << "dump now"
                                   << "";
        QTest::newRow("preflight bad") << "preflight later"
                                       << "";
        QTest::newRow("paper bad") << "paper B5"
                                   << "";
        QTest::newRow("ruby 7") << "ruby 7"
                                << "";
        QTest::newRow("heading 0") << "heading 0"
                                   << "";
        QTest::newRow("heading past the list") << "heading 4"
                                               << "";
        QTest::newRow("clear middle") << "clear middle"
                                      << "";
        QTest::newRow("answers 2") << "answers left 2"
                                   << "";
        // The file has three headings: a range past them would change nothing.
        QTest::newRow("review past the list") << "review 2-4 10 1"
                                              << "review: the heading list has 3 headings, not 4";
        QTest::newRow("review wholly past the list")
            << "review 7-9 10 1"
            << "review: the heading list has 3 headings, not 9";
    }

    // Each plain spelling does what its designer spelling does: the same state, the same trace.
    void plainSpellingsActAsTheDesignerOnes_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("designer");
        QTest::newRow("heading") << "heading 2"
                                 << "choose 1";
        QTest::newRow("title") << "title 第2回"
                               << "type 第2回";
        QTest::newRow("page left") << "page left"
                                   << "click Image1";
        QTest::newRow("page right") << "clear left\npage right"
                                    << "click Image6\nclick Image2";
        QTest::newRow("select right") << "clear right\nselect right"
                                      << "click Image4\nclick Image3";
        QTest::newRow("select left") << "clear left\nselect left"
                                     << "click Image6\nclick Image5";
        QTest::newRow("clear right") << "clear right"
                                     << "click Image4";
        QTest::newRow("clear left") << "clear left"
                                    << "click Image6";
        QTest::newRow("answers") << "answers right 1\nanswers left 1"
                                 << "tick Check1 1\ntick Check2 1";
        QTest::newRow("menu print") << "menu print"
                                    << "menu prt";
        QTest::newRow("menu website") << "menu website"
                                      << "menu onl";
    }

    void plainSpellingsActAsTheDesignerOnes() {
        QFETCH(QString, plain);
        QFETCH(QString, designer);
        // Both pages composed, the right page active again, so that every icon takes its click.
        const QString start = "open " + file_ + "\nchoose 0\nchoose 2\n";
        const Run a = run(start + plain + "\ndump\nprint\n");
        const Run b = run(start + designer + "\ndump\nprint\n");
        QCOMPARE(a.status, 0);
        QCOMPARE(a.dumps, b.dumps);
        QCOMPARE(a.trace, b.trace);
        QVERIFY(a.dumps != run(start + "dump\n").dumps || plain == "menu print");
    }

    void badLinesStopTheRunWithStatus2() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        const Run r = run("open " + file_ + "\ndump\n" + line + "\ndump\n");
        QCOMPARE(r.status, 2);
        QCOMPARE(r.dumps.size(), 1);
        QVERIFY2(r.errors.startsWith("line 3: " + message), qPrintable(r.errors));
    }

    // A sheet with a sentence off the paper: printed as it stands unless the script answered the
    // findings dialog otherwise before the print.
    void preflightAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("drawn");  // "plain", "fitted" or "nothing"
        QTest::newRow("no answer") << ""
                                   << "plain";
        QTest::newRow("print") << "preflight print\n"
                               << "plain";
        QTest::newRow("cancel") << "preflight cancel\n"
                                << "nothing";
        QTest::newRow("fit") << "preflight fit\n"
                             << "fitted";
        QTest::newRow("answer used up by a print") << "preflight cancel\nprint\n"
                                                   << "plain";
    }

    void preflightAnswers() {
        QFETCH(QString, answer);
        QFETCH(QString, drawn);
        QList<Item> items{{"", "", "", ""}, {"", "", "", ""}};
        items.append({QString(40, QChar(u'あ')), "かんじ", "漢字", "です。"});
        const QString longFile = dir_.filePath("long.moj");
        QVERIFY(writeFile(longFile, mojBytes({record("長い", items)})));
        const QString setup = QStringLiteral("open %1\nchoose 0\n").arg(longFile);
        const Run plain = run(setup + "print\n");
        const Run r = run(setup + answer + "print\ndump\n");
        QCOMPARE(r.status, 0);
        const QJsonArray findings = parse(r.dumps.last())["findings"].toArray();
        QCOMPARE(findings.size(), 1);
        QCOMPARE(findings[0].toObject()["what"].toString(),
                 QStringLiteral("③ の文が用紙の下にはみ出します（7字）"));
        QCOMPARE(findings[0].toObject()["page"].toString(), QStringLiteral("右"));
        if (drawn == "plain")
            QCOMPARE(r.trace.mid(r.trace.size() - plain.trace.size()), plain.trace);
        if (drawn == "nothing") QCOMPARE(r.trace, QStringList{R"({"op":"endDoc"})"});
        if (drawn == "fitted") {
            QVERIFY(r.trace != plain.trace);
            QCOMPARE(r.trace.size(), plain.trace.size() + 2);  // the sentence's size, and back
        }
        QCOMPARE(parse(r.dumps.last())["Label3"].toArray()[2].toObject()["caption"].toString(),
                 QString(40, QChar(u'あ')) + "漢字です。");
    }

    void disabledCommandsDoNothing() {
        const Run r = run(
            QStringLiteral(
                "open %1\nprint\nfont 12 0 0 IPAexGothic\nmenu prt\nchoose 0\nprint-cancel\ndump\n")
                .arg(file_));
        QCOMPARE(r.status, 0);
        // Only the cancelled print after the heading reached the surface: it ends an empty job.
        QCOMPARE(r.trace, QStringList{R"({"op":"endDoc"})"});
        QCOMPARE(parse(r.dumps[0])["Command1"].toObject()["caption"].toString(),
                 QStringLiteral("ＭＳ 明朝"));
    }

    void menuPrintEqualsThePrintButton() {
        const QString setup =
            QStringLiteral("open %1\nchoose 0\nchoose 1\ntick Check2 1\n").arg(file_);
        const Run button = run(setup + "print\ndump\n");
        const Run menu = run(setup + "menu prt\ndump\n");
        QVERIFY(button.trace.size() > 100);
        QCOMPARE(menu.trace, button.trace);
        QCOMPARE(menu.dumps, button.dumps);
    }

    void typeTickAndExit() {
        const Run r = run("type \ntype 漢字 テスト\ntick Check1 1\nmenu vv\ndump\nmenu ed\ndump\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.dumps.size(), 1);  // nothing runs after the window is closed
        const QJsonObject d = parse(r.dumps[0]);
        QCOMPARE(d["Text3"].toString(), QStringLiteral("漢字 テスト"));
        QCOMPARE(d["Label52"].toString(), QStringLiteral("漢字 テスト"));
        QCOMPARE(d["Check1"].toInt(), 1);
    }

    void webSiteIsRecorded() {
        const Run r = run("menu onl\nmenu onl\ndump\n");
        QCOMPARE(parse(r.dumps[0])["browser"].toArray().size(), 2);
    }

    void printToPdf() {
        const QString pdf = dir_.filePath("sheet.pdf");
        const Run r = run(
            QStringLiteral("open %1\nchoose 0\nchoose 2\nprint landscape %2\n").arg(file_, pdf));
        QCOMPARE(r.status, 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);
        // The last heading names a vertical face: portrait paper, whatever the dialog said.
        QVERIFY(r.trace.contains(R"({"op":"setOrientation","orientation":1})"));
    }

    // The set a script opened may be saved again; a print onto it is refused (status 2).
    void theOpenedSetTakesOnlyASetSave() {
        const QString set = dir_.filePath("week.pobelo-set");
        QCOMPARE(run(QStringLiteral("open %1\nchoose 0\nset-save %2\n").arg(file_, set)).status, 0);
        const QByteArray saved = readAll(set);
        const Run again = run(QStringLiteral("set-open %1\ntitle 第2回\nset-save %1\n").arg(set));
        QVERIFY2(again.status == 0, qPrintable(again.errors));
        QVERIFY(readAll(set) != saved);
        const Run print = run(QStringLiteral("set-open %1\nprint %1\n").arg(set));
        QCOMPARE(print.status, 2);
        QVERIFY(readAll(set).startsWith("{"));
    }
};

QTEST_MAIN(SheetScriptTest)
#include "test_sheetscript.moc"
