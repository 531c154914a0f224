// The tests a teacher makes from one file: 書き⇄読み, reordered versions, review pages, retests
// of missed items and sheet set files, through the model and what it prints.

#include <QTemporaryDir>
#include <QtTest>

#include "filesystem.h"
#include "modelfixture.h"
#include "mojfile.h"
#include "outputtransaction.h"
#include "testtools.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// The side lines of a printed sheet (the lines drawn 15 pixels wide), in the order drawn.
QList<QJsonObject> sideLines(const QStringList& trace) {
    QList<QJsonObject> lines;
    int width = 0;
    for (const TraceOp& op : parseTrace(trace)) {
        if (op.op == QLatin1String("setLineWidth")) width = op.fields["width"].toInt();
        if (op.op == QLatin1String("drawLine") && width == 15) lines.append(op.fields);
    }
    return lines;
}

QStringList itemNames(const SheetModel& m, int page) {
    QStringList names;
    for (int row = 0; row < kRows; ++row) {
        const ItemRef ref = m.itemAt(page, row);
        names << (ref.isEmpty() ? QStringLiteral("-")
                                : QStringLiteral("%1:%2").arg(ref.record + 1).arg(ref.item + 1));
    }
    return names;
}

}  // namespace

class SheetVariantsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;  // four numbered records; the third asks only its first three items

    void openFixture(ModelFixture& f) {
        f.open(file_);
        f.model.chooseHeading(0);
    }
    // Prints the sheet in font (after the headings, which bring their own) into the trace.
    static QStringList print(ModelFixture& f,
                             const QString& font = QStringLiteral("@IPAexMincho")) {
        f.fonts.answers.push_back(FontChoice{font, 15, false, false});
        f.model.fontCommand();
        f.printer.answers.push_back(ScriptedPrinterDialog::Answer{true, 1, {}});
        f.model.printSheet();
        return f.surface.lines();
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QList<QStringList> records{numberedRecord(1), numberedRecord(2), numberedRecord(3),
                                   numberedRecord(4)};
        for (int i = 3; i < 10; ++i) {
            for (int field = 2 + 4 * i; field < 6 + 4 * i; ++field) records[2][field].clear();
        }
        file_ = dir_.filePath("four.moj");
        QVERIFY(writeFile(file_, mojBytes(records)));
    }

    // A flipped page shows the answer in the sentence, with the side line beside it, and asks
    // for the asked part; in both layouts and on both pages, and back again.
    void flip_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("firstLine");  // the first side line of the page in the trace
        QTest::newRow("vertical, right") << 0 << "@IPAexMincho" << 0;
        QTest::newRow("vertical, left") << 1 << "@IPAexMincho" << 10;
        QTest::newRow("upright, right") << 0 << "IPAexMincho" << 0;
        QTest::newRow("upright, left") << 1 << "IPAexMincho" << 10;
    }
    void flip() {
        QFETCH(int, page);
        QFETCH(QString, font);
        QFETCH(int, firstLine);
        ModelFixture f;
        openFixture(f);
        f.model.chooseHeading(1);
        f.model.setFlipped(page, true);
        const LabelArray sentence = page == 0 ? Label3 : Label6;
        const LabelArray asked = page == 0 ? Label2 : Label5;
        const auto& answers = page == 0 ? f.model.rightAnswers() : f.model.leftAnswers();
        const int n = page + 1;
        QCOMPARE(f.model.caption(sentence, 4), QStringLiteral("前%1の4こたえ4後4。").arg(n));
        QCOMPARE(f.model.caption(asked, 4), QStringLiteral("こたえ4"));
        QCOMPARE(answers[4], QStringLiteral("漢字4"));
        QCOMPARE((page == 0 ? f.model.rightBeforeLengths() : f.model.leftBeforeLengths())[4], 4);

        const QStringList trace = print(f, font);
        // Row ⑤'s line starts after ⑤ and its four characters and runs along the four of
        // "こたえ4" (the upright layout draws item 10's line first).
        const QList<QJsonObject> lines = sideLines(trace);
        QCOMPARE(lines.size(), 20);
        const bool vertical = font.startsWith('@');
        const QJsonObject line = lines[firstLine + (vertical ? 4 : 5)];
        const QString from = vertical ? "x1" : "y1";
        const QString to = vertical ? "x2" : "y2";
        QCOMPARE(line[from].toInt(), (vertical ? 300 : 200) + 5 * 300);
        QCOMPARE(line[to].toInt() - line[from].toInt(), 4 * 300);

        f.model.setFlipped(page, false);
        QCOMPARE(f.model.caption(sentence, 4), QStringLiteral("前%1の4漢字4後4。").arg(n));
        QCOMPARE(answers[4], QStringLiteral("こたえ4"));
    }

    // The same seed gives the same order on every run and system; the circled numbers stay in
    // order and the page carries the seed; seed 0 is the page as it was.
    void shuffle_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QString>("order");  // heading 1's items as the seed orders them
        QTest::addColumn<QString>("mark");
        QTest::newRow("0") << 0u << "1:1 1:2 1:3 1:4 1:5 1:6 1:7 1:8 1:9 1:10"
                           << "";
        QTest::newRow("1") << 1u << "1:8 1:5 1:4 1:6 1:2 1:1 1:9 1:10 1:7 1:3"
                           << "並べ替え B";
        QTest::newRow("2") << 2u << "1:10 1:5 1:2 1:7 1:6 1:3 1:4 1:1 1:8 1:9"
                           << "並べ替え C";
        QTest::newRow("25") << 25u << "1:4 1:1 1:6 1:9 1:8 1:10 1:3 1:7 1:2 1:5"
                            << "並べ替え Z";
        QTest::newRow("26") << 26u << "1:9 1:10 1:1 1:8 1:4 1:3 1:5 1:7 1:2 1:6"
                            << "並べ替え 26";
        QTest::newRow("4294967295") << 4294967295u << "1:4 1:9 1:5 1:10 1:6 1:1 1:2 1:3 1:8 1:7"
                                    << "並べ替え 4294967295";
    }
    void shuffle() {
        QFETCH(quint32, seed);
        QFETCH(QString, order);
        ModelFixture f;
        openFixture(f);
        f.model.setShuffleSeed(0, seed);
        QCOMPARE(itemNames(f.model, 0).join(' '), order);
        const int first = order.section(' ', 0, 0).section(':', 1).toInt() - 1;
        QCOMPARE(f.model.caption(Label3, 0), QStringLiteral("前1の%1漢字%1後%1。").arg(first));
        const QString texts = jobTexts(print(f)).value(0);
        QVERIFY(texts.contains(QStringLiteral("①前1の%1").arg(first)));
        QFETCH(QString, mark);
        QCOMPARE(texts.contains(QStringLiteral("並べ替え")), !mark.isEmpty());
        if (!mark.isEmpty()) QVERIFY(texts.contains(mark));
        // Only items with text are reordered: heading 3 has three; none stays in its row, and the
        // other page of the same seed has an order of its own.
        f.model.chooseHeading(0);
        f.model.setShuffleSeed(1, seed);
        QCOMPARE(itemNames(f.model, 1).join(' ') == order, seed == 0);
        f.model.clickImage(1);  // the hand back on the left page
        f.model.chooseHeading(2);
        if (seed == 0) return;
        const QStringList three = itemNames(f.model, 1);
        QCOMPARE(three.mid(3), QStringList(7, "-"));
        for (int row = 0; row < 10; ++row) {
            QVERIFY(order.split(' ')[row] != QStringLiteral("1:%1").arg(row + 1));
            if (row < 3) QVERIFY(three[row] != QStringLiteral("3:%1").arg(row + 1));
        }
    }

    // The version mark prints whole on the paper at every seed, in both layouts, and not at all
    // on a page without an item to print.
    void markStaysOnThePaper_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("x");  // where the right page's mark starts
        QTest::newRow("vertical, seed 7") << "@IPAexMincho" << 7u << 9900;
        // 11906 - 283 - 15 cells of 160 twips
        QTest::newRow("vertical, longest seed") << "@IPAexMincho" << 4294967295u << 9223;
        // 11906 / 2 + 2800: item 10's column, below the frames
        QTest::newRow("upright, longest seed") << "IPAexMincho" << 4294967295u << 8753;
    }
    void markStaysOnThePaper() {
        QFETCH(QString, font);
        QFETCH(quint32, seed);
        QFETCH(int, x);
        ModelFixture f;
        openFixture(f);
        f.model.setShuffleSeed(0, seed);
        f.model.setShuffleSeed(1, seed);
        // The left page's heading has nothing to ask.
        f.model.clickImage(6);
        QList<int> marks;
        int currentX = 0;
        for (const TraceOp& op : parseTrace(print(f, font))) {
            if (op.op == QLatin1String("setCurrentX")) currentX = op.fields["x"].toInt();
            if (op.op == QLatin1String("printText") &&
                op.fields["text"].toString().startsWith(QStringLiteral("並べ替え")))
                marks.append(currentX);
        }
        QCOMPARE(marks, QList<int>{x});
        QCOMPARE(f.model.findings().size(), 0);
    }

    // What Pobelo adds to a title (a review's headings) never makes it collide: such a title is
    // fitted without a finding; a title the teacher typed too long is still one.
    void titleAdditions_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("findings");
        QTest::addColumn<int>("secondX");  // where the title's second character stands
        // 13 cells closed up between the title's start and 名: (5130 - 230 - 300) / 12 apart
        QTest::newRow("only the addition is too long") << "第5回 漢字テスト" << 0 << 613;
        // Both pages carry the typed title.
        QTest::newRow("the title itself is too long") << "第5回 漢字テストです" << 2 << 730;
    }
    void titleAdditions() {
        QFETCH(QString, title);
        QFETCH(int, findings);
        QFETCH(int, secondX);
        ModelFixture f;
        openFixture(f);
        f.model.setText3(title);
        f.model.clickImage(2);  // the hand back on the right page
        f.model.composeReview(drawItems(f.model.table(), 1, 3, 10, 1));
        // A vertical sheet, whose titles run toward the name field.
        f.fonts.answers.push_back(FontChoice{QStringLiteral("@IPAexMincho"), 15, false, false});
        f.model.fontCommand();
        QCOMPARE(f.model.label51(), title + QStringLiteral(" 2〜4"));
        QCOMPARE(f.model.findings().size(), findings);
        QList<int> xs;
        int x = 0;
        for (const TraceOp& op : parseTrace(print(f))) {
            if (op.op == QLatin1String("setCurrentX")) x = op.fields["x"].toInt();
            if (op.op == QLatin1String("printText")) xs.append(x);
        }
        // 名, 前, then the right page's title
        QCOMPARE(xs.value(3), secondX);
    }

    // A review page draws only from the headings named, each item once, in file order.
    void review_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<QString>("title");
        QTest::newRow("two headings") << 1 << 2 << 10 << 10 << "小テスト 2〜3";
        QTest::newRow("one heading, all of it") << 2 << 2 << 10 << 3 << "小テスト 3";
        QTest::newRow("fewer than there are") << 1 << 3 << 12 << 10 << "小テスト 2〜4";
        QTest::newRow("past the file") << 3 << 40 << 4 << 4 << "小テスト 4";
    }
    void review() {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, count);
        QFETCH(int, drawn);
        QFETCH(QString, title);
        ModelFixture f;
        openFixture(f);
        const QList<ItemRef> items = drawItems(f.model.table(), first, last, count, 7);
        QCOMPARE(items.size(), drawn);
        QVERIFY(std::is_sorted(items.begin(), items.end()));
        QVERIFY(std::adjacent_find(items.begin(), items.end()) == items.end());
        for (const ItemRef& ref : items) {
            QVERIFY(ref.record >= first && ref.record <= last);
            QVERIFY(!f.model.table().at(ref.record, slot::askedText(ref.item)).isEmpty());
        }
        QCOMPARE(drawItems(f.model.table(), first, last, count, 7), items);
        // Onto the active page (the left one after the first heading), then the right is active.
        f.model.composeReview(items);
        QCOMPARE(f.model.label52(), title);
        QCOMPARE(f.model.variant(1).source, PageSource::Review);
        for (int row = 0; row < kRows; ++row)
            QCOMPARE(f.model.itemAt(1, row), row < drawn ? items[row] : ItemRef{});
        QVERIFY(f.model.rightPageActive());
    }

    // A retest holds the marked items in the order they were printed; the rows after them stay
    // empty and print only their numbers.
    void retest() {
        ModelFixture f;
        openFixture(f);
        f.model.setShuffleSeed(0, 1);
        f.model.setMissed(0, 6, true);
        f.model.setMissed(0, 1, true);
        f.model.setMissed(0, 3, true);
        f.model.setMissed(0, 3, false);
        const QStringList printed = itemNames(f.model, 0);
        f.model.makeRetest(0);
        QCOMPARE(itemNames(f.model, 0),
                 QStringList({printed[1], printed[6]}) + QStringList(8, "-"));
        QCOMPARE(f.model.label51(), QStringLiteral("小テスト 1（再）"));
        QCOMPARE(f.model.variant(0).seed, 0u);
        QVERIFY(f.model.caption(Label3, 2).isEmpty());
        // Its rows past the two items print nothing: no stray numbers, two answer places.
        const QString right = jobTexts(print(f)).value(0).section(QStringLiteral("名前"), 1, 1);
        QVERIFY2(right.endsWith(QStringLiteral("。①②")), qPrintable(right));
        // Nothing marked: nothing changes.
        f.model.makeRetest(1);
        QCOMPARE(f.model.variant(1).source, PageSource::Heading);
    }

    // A set file gives back the sheet it was saved from; a changed question file is told, and a
    // file that is no set of this version is refused without touching the sheet on the screen.
    // A set opens as saved; a changed, moved or rewritten question file is told, and the set
    // finds its headings and items again by what they hold.
    void setFiles_data() {
        QTest::addColumn<QByteArray>("edit");  // "" keeps the saved set
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("told");   // messages on opening
        QTest::addColumn<int>("moved");  // how far the headings moved down the file
        QTest::newRow("round trip") << QByteArray() << true << false << 0 << 0;
        QTest::newRow("question file changed") << QByteArray("moj") << true << true << 1 << 0;
        QTest::newRow("changed before the save") << QByteArray("early") << true << true << 1 << 0;
        QTest::newRow("a heading inserted above") << QByteArray("insert") << true << true << 1 << 1;
        // The review's first item no longer exists: it is named and left out.
        QTest::newRow("an item rewritten") << QByteArray("reword") << true << true << 2 << 0;
        QTest::newRow("question file moved") << QByteArray("move") << true << false << 1 << 0;
        // Nothing is chosen instead: the sheet on the screen stays.
        QTest::newRow("question file gone") << QByteArray("gone") << false << false << 1 << 0;
        QTest::newRow("newer version") << QByteArray("version") << false << false << 1 << 0;
        QTest::newRow("not JSON") << QByteArray("garbage") << false << false << 1 << 0;
        QTest::newRow("heading past the file") << QByteArray("heading") << true << false << 1 << 0;
    }
    void setFiles() {
        QFETCH(QByteArray, edit);
        QFETCH(bool, opened);
        QFETCH(bool, changed);
        QFETCH(int, told);
        QFETCH(int, moved);
        // The files an earlier row read are gone, and a new file may take over their numbers.
        forgetReadFiles();
        QTemporaryDir dir;
        const QString question = dir.filePath("q.moj");
        QVERIFY(QFile::copy(file_, question));
        ModelFixture saved;
        saved.open(question);
        saved.model.setText3(QStringLiteral("第3回"));
        saved.model.setFlipped(0, true);
        saved.model.chooseHeading(1);
        saved.model.setShuffleSeed(1, 2);
        saved.model.composeReview(drawItems(saved.model.table(), 0, 3, 6, 5));
        saved.model.setMissed(1, 2, true);
        saved.model.setCheck(2, 1);
        const ItemRef reworded = saved.model.variant(1).items[0];
        // The set vouches for the questions as read, and says so when the file changed since.
        if (edit == "early") QVERIFY(writeFile(question, readAll(question) + "\r\n"));
        const QString setPath = dir.filePath("week.pobelo-set");
        QString why;
        QVERIFY2(saved.model.saveSet(setPath, &why), qPrintable(why));
        QCOMPARE(saved.messages.shown.size(), qsizetype(edit == "early" ? 1 : 0));
        QByteArray json = readAll(setPath);
        QVERIFY(json.contains("\"questionFile\": \"q.moj\""));
        const QByteArray bytes = readAll(question);
        if (edit == "moj") QVERIFY(writeFile(question, bytes + "\r\n"));
        if (edit == "insert") QVERIFY(writeFile(question, mojBytes({numberedRecord(9)}) + bytes));
        if (edit == "reword") {
            const QString before =
                QStringLiteral("前%1の%2").arg(reworded.record + 1).arg(reworded.item);
            QVERIFY(writeFile(question,
                              QByteArray(bytes).replace(cp932Bytes(before), cp932Bytes("前0の0"))));
        }
        if (edit == "move" || edit == "gone")
            QVERIFY(QFile::rename(question, dir.filePath("moved.moj")));
        if (edit == "version") json.replace("\"version\": 1", "\"version\": 2");
        if (edit == "garbage") json = "{\"format\": \"pobelo-set\", ";
        if (edit == "heading") json.replace("\"heading\": 2", "\"heading\": 9");
        QVERIFY(writeFile(setPath, json));

        // The set opens over a sheet on the screen, which a set that cannot be used leaves as it
        // was.
        ModelFixture reopened;
        reopened.open(file_);
        reopened.model.chooseHeading(3);
        if (edit == "move") reopened.files.answers.push_back(dir.filePath("moved.moj"));
        QCOMPARE(reopened.model.openSet(setPath), opened);
        QCOMPARE(reopened.model.setChanged(), changed);
        QCOMPARE(reopened.messages.shown.size(), qsizetype(told));
        if (!opened) {
            QCOMPARE(itemNames(reopened.model, 0)[0], QStringLiteral("4:1"));
            return;
        }
        // Where the headings moved, the items are the same ones, a heading further down.
        const auto shifted = [moved](QStringList names) {
            for (QString& name : names) {
                if (name != QLatin1String("-"))
                    name = QStringLiteral("%1:%2")
                               .arg(name.section(':', 0, 0).toInt() + moved)
                               .arg(name.section(':', 1));
            }
            return names;
        };
        for (int page = 0; page < 2; ++page) {
            QStringList expected = shifted(itemNames(saved.model, page));
            if (edit == "heading" && page == 0) expected = QStringList(10, "-");
            if (edit == "reword" && page == 1) {
                // The rewritten item is left out, and a reordered page takes its own order again.
                QCOMPARE(itemNames(reopened.model, page).contains(itemName(reworded)), false);
                QCOMPARE(itemNames(reopened.model, page).count("-"), 5);
                continue;
            }
            QCOMPARE(itemNames(reopened.model, page), expected);
            QCOMPARE(reopened.model.variant(page).flipped, saved.model.variant(page).flipped);
            QCOMPARE(reopened.model.variant(page).seed, saved.model.variant(page).seed);
            QCOMPARE(reopened.model.missed(page, 2), saved.model.missed(page, 2));
        }
        if (edit.isEmpty() || edit == "insert" || edit == "move") {
            for (const LabelArray a : {Label2, Label3, Label5, Label6})
                QCOMPARE(reopened.captions(a), saved.captions(a));
        }
        // The heading's page is titled with its new number.
        QCOMPARE(reopened.model.label51(),
                 edit == "insert" ? QStringLiteral("第3回 3") : saved.model.label51());
        QCOMPARE(reopened.model.label52(), saved.model.label52());
        QCOMPARE(reopened.model.text3(), QStringLiteral("第3回"));
        QCOMPARE(reopened.model.check2(), 1);
        // The set opened may be saved again, and no other output may replace it.
        OutputTransaction other;
        other.add(setPath, QStringLiteral("a PDF"));
        QVERIFY(!other.check());
        QCOMPARE(other.problem(), OutputTransaction::Problem::IsInput);
        QVERIFY2(reopened.model.saveSet(setPath, &why), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(SheetVariantsTest)
#include "test_sheetvariants.moc"
