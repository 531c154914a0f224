// The set reader refuses what no sheet of the window holds, naming the key; a wrong type is never
// read as a default. The set the window saves names its question file as the system finds it, and
// a sheet that would not read back, or that holds no questions, is not saved.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include "modelfixture.h"
#include "mojfile.h"
#include "sheetset.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// A set as the window writes it, both kinds of page.
const QByteArray kGoodSet = R"({
    "format": "pobelo-set", "version": 1, "questionFile": "q.moj", "sha256": "ab",
    "title": "第3回", "font": {"name": "@IPAexMincho", "bold": false, "italic": false},
    "activePage": "right", "paper": "B4",
    "pages": {
        "right": {"kind": "heading", "heading": 3, "title": "第3回 3", "flip": true,
                  "shuffle": 2, "answers": false, "missed": ["3:4"]},
        "left": {"kind": "review", "items": ["3:1", "4:7"], "label": "3〜4",
                 "title": "第3回 3〜4", "flip": false, "shuffle": 0, "answers": true,
                 "missed": []}}})";

// object with the value at a dotted path replaced by json (a JSON value), or taken out for "-".
QJsonObject edited(QJsonObject object, const QStringList& path, const QByteArray& json) {
    const QString& key = path.first();
    if (path.size() > 1) {
        object[key] = edited(object[key].toObject(), path.mid(1), json);
    } else if (json == "-") {
        object.remove(key);
    } else {
        const QJsonDocument value = QJsonDocument::fromJson("[" + json + "]");
        if (!value.isArray()) qFatal("not JSON: %s", json.constData());
        object[key] = value.array().first();
    }
    return object;
}

QString elevenItems() {
    QStringList names;
    for (int i = 1; i <= 10; ++i) names << QStringLiteral("\"1:%1\"").arg(i);
    return "[" + names.join(',') + ",\"2:1\"]";
}

}  // namespace

class SheetSetReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void readsTheGoodSet() {
        SetProblem problem;
        const std::optional<Sheet> set = readSheetSetJson(kGoodSet, &problem);
        QVERIFY2(set, qPrintable(text::setProblem(problem)));
        QCOMPARE(problem.kind, SetProblem::None);
        QCOMPARE(set->paper, Paper::B4);
        QCOMPARE(set->pages[0].variant.seed, 2u);
        QVERIFY(set->pages[0].variant.flipped);
        QCOMPARE(set->pages[0].variant.missed, (QList<ItemRef>{{2, 3}}));
        QCOMPARE(set->pages[1].variant.items[1], (ItemRef{3, 6}));
        QCOMPARE(set->pages[1].answers, 1);
        // Keys that are not there take their defaults; keys the reader does not know are left.
        const QJsonObject root = QJsonDocument::fromJson(kGoodSet).object();
        QJsonObject sparse = edited(edited(root, {"pages", "left", "flip"}, "-"),
                                    {"pages", "left", "comment"}, R"("week 3")");
        const std::optional<Sheet> read =
            readSheetSetJson(QJsonDocument(sparse).toJson(), &problem);
        QVERIFY(read);
        QVERIFY(!read->pages[1].variant.flipped);
    }

    // The furniture goes into a set only when chosen (an older set, without it, reads as none
    // chosen), comes back as saved, and words this program does not know choose nothing.
    void keepsTheFurniture() {
        SetProblem problem;
        QCOMPARE(readSheetSetJson(kGoodSet, &problem)->furniture, SheetFurniture());
        QuestionTable table;
        Sheet sheet = *readSheetSetJson(kGoodSet, &problem);
        QVERIFY(!sheetSetJson(sheet, QDir::tempPath(), table).contains("furniture"));
        QVERIFY(parseFurnitureList(QStringLiteral("instruction,score,cut,kana,squares=14"),
                                   &sheet.furniture, nullptr));
        sheet.furniture.instructions[1] = QStringLiteral("ていねいに書こう。");
        const std::optional<Sheet> back =
            readSheetSetJson(sheetSetJson(sheet, QDir::tempPath(), table), &problem);
        QVERIFY2(back, qPrintable(text::setProblem(problem)));
        QCOMPARE(back->furniture, sheet.furniture);
        const QJsonObject root = QJsonDocument::fromJson(kGoodSet).object();
        const std::optional<Sheet> later = readSheetSetJson(
            QJsonDocument(edited(root, {"furniture"},
                                 R"({"elements": ["cut", "ruby", 7], "squareSize": 13})"))
                .toJson(),
            &problem);
        QVERIFY(later);
        SheetFurniture cut;
        cut.cutLine = true;
        QCOMPARE(later->furniture, cut);
    }

    // Each bad value, and the window's words for it.
    void refusesEachBadKey_data() {
        QTest::addColumn<QString>("path");      // the key, dotted
        QTest::addColumn<QByteArray>("value");  // JSON; "-": taken out
        QTest::addColumn<QString>("message");
        QTest::newRow("format") << "format" << QByteArray(R"("pobelo")")
                                << "Pobelo のテストセットファイルではありません。";
        QTest::newRow("no version")
            << "version" << QByteArray("-") << "版の番号（version）がありません。";
        QTest::newRow("version 1.5")
            << "version" << QByteArray("1.5") << "版の番号（version）1.5 が読めません。";
        QTest::newRow("version 1e300")
            << "version" << QByteArray("1e300") << "版の番号（version）1e+300 が読めません。";
        QTest::newRow("version as text")
            << "version" << QByteArray(R"("1")") << "版の番号（version）\"1\" が読めません。";
        QTest::newRow("version 2") << "version" << QByteArray("2")
                                   << "新しい版の Pobelo で作られたファイルです（第2版）。";
        QTest::newRow("no questionFile")
            << "questionFile" << QByteArray("-") << "questionFile がありません。";
        QTest::newRow("questionFile with a NUL")
            << "questionFile" << QByteArray(R"("q.moj\u0000.txt")")
            << "questionFile に改行などの制御文字があります。";
        QTest::newRow("questionFile a number")
            << "questionFile" << QByteArray("7")
            << "questionFile は文字列（\"…\"）でなければなりません（7 になっています）。";
        QTest::newRow("title on two lines") << "title" << QByteArray(R"("第3回\n漢字")")
                                            << "title に改行などの制御文字があります。";
        QTest::newRow("font name with a tab") << "font.name" << QByteArray(R"("ＭＳ\t明朝")")
                                              << "font.name に改行などの制御文字があります。";
        QTest::newRow("font a list")
            << "font" << QByteArray("[]")
            << "font はまとまり（{…}）でなければなりません（[] になっています）。";
        QTest::newRow("bold yes")
            << "font.bold" << QByteArray(R"("yes")")
            << "font.bold は true か false でなければなりません（\"yes\" になっています）。";
        QTest::newRow("activePage middle")
            << "activePage" << QByteArray(R"("middle")")
            << "activePage の \"middle\" は使えません（right, left のどれかです）。";
        QTest::newRow("paper B5") << "paper" << QByteArray(R"("B5")")
                                  << "paper の \"B5\" は使えません（A4, B4, A3 のどれかです）。";
        QTest::newRow("right page a number")
            << "pages.right" << QByteArray("1")
            << "pages.right はまとまり（{…}）でなければなりません（1 になっています）。";
        QTest::newRow("kind 1")
            << "pages.right.kind" << QByteArray("1")
            << "pages.right.kind は文字列（\"…\"）でなければなりません（1 になっています）。";
        QTest::newRow("kind sheet")
            << "pages.right.kind" << QByteArray(R"("sheet")")
            << "pages.right.kind の \"sheet\" は使えません（none, heading, review, retest "
               "のどれかです）。";
        QTest::newRow("no heading")
            << "pages.right.heading" << QByteArray("-") << "pages.right.heading がありません。";
        QTest::newRow("heading 0")
            << "pages.right.heading" << QByteArray("0")
            << "pages.right.heading は 1〜2001 の整数でなければなりません（0 になっています）。";
        QTest::newRow("shuffle as text")
            << "pages.right.shuffle" << QByteArray(R"("7")")
            << "pages.right.shuffle は数でなければなりません（\"7\" になっています）。";
        QTest::newRow("shuffle past 32 bits")
            << "pages.right.shuffle" << QByteArray("4294967296")
            << "pages.right.shuffle は 0〜4294967295 "
               "の整数でなければなりません（4294967296 になっています）。";
        QTest::newRow("shuffle 1.5") << "pages.right.shuffle" << QByteArray("1.5")
                                     << "pages.right.shuffle は 0〜4294967295 "
                                        "の整数でなければなりません（1.5 になっています）。";
        QTest::newRow("flip yes")
            << "pages.right.flip" << QByteArray(R"("yes")")
            << "pages.right.flip は true か false でなければなりません（\"yes\" になっています）。";
        QTest::newRow("answers 1")
            << "pages.left.answers" << QByteArray("1")
            << "pages.left.answers は true か false でなければなりません（1 になっています）。";
        QTest::newRow("an item twice")
            << "pages.left.items" << QByteArray(R"(["3:1", "4:7", "3:1"])")
            << "pages.left.items に問題 3:1 が二度あります。";
        QTest::newRow("eleven items") << "pages.left.items" << elevenItems().toUtf8()
                                      << "pages.left.items の問題が 10 を超えています。";
        QTest::newRow("item 11 of a heading")
            << "pages.left.items" << QByteArray(R"(["1:11"])")
            << "pages.left.items の \"1:11\" は問題の番号（\"見出し:問題\"、例 "
               "\"3:2\"）ではありません。";
        QTest::newRow("an item as a number")
            << "pages.left.items" << QByteArray("[3]")
            << "pages.left.items の 3 は問題の番号（\"見出し:問題\"、例 \"3:2\"）ではありません。";
        QTest::newRow("items a text")
            << "pages.left.items" << QByteArray(R"("3:1")")
            << "pages.left.items は一覧（[…]）でなければなりません（\"3:1\" になっています）。";
        QTest::newRow("a missed item twice")
            << "pages.left.missed" << QByteArray(R"(["4:7", "4:7"])")
            << "pages.left.missed に問題 4:7 が二度あります。";
        QTest::newRow("label with a carriage return")
            << "pages.left.label" << QByteArray(R"("3\r4")")
            << "pages.left.label に改行などの制御文字があります。";
        QTest::newRow("title with a line separator")
            << "pages.left.title" << QByteArray(R"("第3回\u2028")")
            << "pages.left.title に改行などの制御文字があります。";
    }
    void refusesEachBadKey() {
        QFETCH(QString, path);
        QFETCH(QByteArray, value);
        QFETCH(QString, message);
        const QJsonObject root =
            edited(QJsonDocument::fromJson(kGoodSet).object(), path.split('.'), value);
        SetProblem problem;
        QVERIFY(!readSheetSetJson(QJsonDocument(root).toJson(), &problem));
        QCOMPARE(text::setProblem(problem), message);
        if (problem.kind > SetProblem::NewerVersion) QCOMPARE(problem.key, path);
    }

    // The question file as the system resolves both paths, also through "link/..": beside the set
    // (or below it) by its name there, elsewhere by its whole path.
    void namesTheQuestionFileAsTheSystemFindsIt_data() {
        QTest::addColumn<QString>("question");  // as opened
        QTest::addColumn<QString>("set");       // as saved
        QTest::addColumn<QString>("named");     // as the set names it; "/": the whole path
        QTest::newRow("beside") << "a/q.moj"
                                << "a/s.pobelo-set"
                                << "q.moj";
        QTest::newRow("below") << "a/sub/q.moj"
                               << "a/s.pobelo-set"
                               << "sub/q.moj";
#ifndef Q_OS_WIN  // links to folders are Linux's
        QTest::newRow("set through link/..") << "b/q.moj"
                                             << "a/link/../s.pobelo-set"
                                             << "q.moj";
        QTest::newRow("question beside the link") << "a/q.moj"
                                                  << "a/link/../s.pobelo-set"
                                                  << "/";
        QTest::newRow("question through link/..") << "a/link/../q.moj"
                                                  << "b/s.pobelo-set"
                                                  << "q.moj";
#endif
    }
    void namesTheQuestionFileAsTheSystemFindsIt() {
        QFETCH(QString, question);
        QFETCH(QString, set);
        QFETCH(QString, named);
        // a/link leads to b/c, so a/link/.. is b.
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath("a/sub") && root.mkpath("b/c"));
#ifndef Q_OS_WIN
        QVERIFY(QFile::link(root.filePath("b/c"), root.filePath("a/link")));
#endif
        const QByteArray bytes = mojBytes({numberedRecord(1)});
        for (const char* file : {"a/q.moj", "a/sub/q.moj", "b/q.moj"})
            QVERIFY(writeFile(root.filePath(file), bytes));
        ModelFixture f;
        f.open(root.filePath(question));
        f.model.chooseHeading(0);
        QString why;
        QVERIFY2(f.model.saveSet(root.filePath(set), &why), qPrintable(why));
        const QString setPath = QFileInfo(root.filePath(set)).canonicalFilePath();
        const QString saved = QJsonDocument::fromJson(readAll(setPath))
                                  .object()[QStringLiteral("questionFile")]
                                  .toString();
        QCOMPARE(saved,
                 named == "/" ? QFileInfo(root.filePath(question)).canonicalFilePath() : named);
        ModelFixture reopened;
        QVERIFY(reopened.model.openSet(setPath));
        QVERIFY(!reopened.model.setChanged());
    }

    // What the window does not save: a sheet without questions, and one whose set would not read
    // back; the file is not made.
    void savesNothingItCannotReadBack_data() {
        QTest::addColumn<QString>("actions");  // "open": a good file, "missing": a missing one,
                                               // "choose", "clear", "title": one on two lines
        QTest::addColumn<QString>("message");
        QTest::newRow("no heading chosen") << "open" << text::kNothingToSave;
        QTest::newRow("after a failed open") << "open choose missing" << text::kNothingToSave;
        QTest::newRow("both pages cleared") << "open choose clear" << text::kNothingToSave;
        QTest::newRow("a title on two lines") << "open choose title"
                                              << "title に改行などの制御文字があります。";
    }
    void savesNothingItCannotReadBack() {
        QFETCH(QString, actions);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString question = dir.filePath("q.moj");
        QVERIFY(writeFile(question, mojBytes({numberedRecord(1)})));
        ModelFixture f;
        for (const QString& action : actions.split(' ')) {
            if (action == "open") f.open(question);
            if (action == "missing") f.open(dir.filePath("gone.moj"));
            if (action == "choose") f.model.chooseHeading(0);
            if (action == "clear") f.model.clickImage(RightClear + 1);
            if (action == "title") f.model.setText3(QStringLiteral("第3回\n漢字"));
        }
        const QString setPath = dir.filePath("s.pobelo-set");
        QString why;
        QVERIFY(!f.model.saveSet(setPath, &why));
        QCOMPARE(why, message);
        QVERIFY(!QFile::exists(setPath));
    }
};

QTEST_GUILESS_MAIN(SheetSetReaderTest)
#include "test_sheetsetreader.moc"
