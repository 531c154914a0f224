// A teacher's own question file: each encoding Excel and Google Sheets save, RFC 4180 quoting,
// the header's columns in any order, headings of more than ten items, the table's end, and each
// refusal with its line (nothing read).

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "mojfile.h"
#include "ownquestions.h"
#include "questionfile.h"
#include "teacherfile.h"

using namespace pobelo;

namespace {

const QString kHeader = QStringLiteral("見出し,前の文,問題の部分,後の文,答え,字体");

// Two items of one heading, the second without a face, as the header above orders them.
const QString kTwoItems = kHeader + QStringLiteral(
                                        "\n二年,にわに,花,がさいた。,はな,ＭＳ 明朝\n"
                                        "二年,,雪,がふる。,ゆき,\n");
const QList<QStringList> kTwoItemsRead{
    {"二年", "ＭＳ 明朝", "にわに[花]がさいた。=はな", "[雪]がふる。=ゆき"}};

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

QString crlf(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString tabs(QString text) {
    return text.replace(QLatin1Char(','), QLatin1Char('\t'));
}

// Rows of n items under one heading, the items numbered from 1; the face named on row `fontRow`.
QString numberedRows(const QString& heading, int n, int fontRow = -1) {
    QString rows;
    for (int i = 1; i <= n; ++i)
        rows += QStringLiteral("%1,文%2,問,。,答,%3\n")
                    .arg(heading)
                    .arg(i)
                    .arg(i == fontRow ? QStringLiteral("@ＭＳ 明朝") : QString());
    return rows;
}

QStringList numberedItems(int first, int last) {
    QStringList items;
    for (int i = first; i <= last; ++i) items << QStringLiteral("文%1[問]。=答").arg(i);
    return items;
}

// Record r as the tests write it: the heading, the face, then "before[asked]after=answer" for
// each item that holds anything (a slot read from the wrong place shows here).
QStringList recordText(const QuestionTable& table, int r) {
    QStringList out{table.at(r, slot::kHeading), table.at(r, slot::kFontName)};
    for (int i = 0; i < kItemsPerHeading; ++i) {
        const QString item = table.at(r, slot::beforeText(i)) + "[" +
                             table.at(r, slot::askedText(i)) + "]" +
                             table.at(r, slot::afterText(i)) + "=" + table.at(r, slot::answer(i));
        if (item != QLatin1String("[]=")) out << item;
    }
    return out;
}

struct Loaded {
    LoadResult result;
    QStringList headings;
};

}  // namespace

class TestTeacherFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QuestionTable> table_ = std::make_unique<QuestionTable>();

    // Every slot of the first records holds "stale", as after a load of a fuller file.
    void makeStale() {
        for (int r = 0; r < 4; ++r) {
            for (int s = 0; s < QuestionTable::kSlots; ++s) table_->set(r, s, "stale");
        }
    }

    Loaded load(const QByteArray& bytes, const QString& name = QStringLiteral("own.csv")) {
        const QString path = dir_.filePath(name);
        if (!pobelo::test::writeFile(path, bytes)) qFatal("cannot write %s", qPrintable(path));
        Loaded loaded;
        loaded.result =
            loadQuestionFile(path, *table_, [&](const QString& h) { loaded.headings << h; });
        return loaded;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(cp932DecoderAvailable());
    }

    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QList<QStringList>>("records");
        QTest::addColumn<QStringList>("notes");

        QTest::newRow("UTF-8 with a mark, CR LF (Excel's CSV UTF-8)")
            << "\xEF\xBB\xBF" + crlf(kTwoItems).toUtf8() << "own.csv" << TextEncoding::Utf8Bom
            << kTwoItemsRead << QStringList();
        QTest::newRow("UTF-8 without a mark, LF (Google Sheets)")
            << kTwoItems.toUtf8() << "own.CSV" << TextEncoding::Utf8 << kTwoItemsRead
            << QStringList();
        QTest::newRow("CP932, CR LF (Excel's CSV on a Japanese PC)")
            << pobelo::test::cp932Bytes(crlf(kTwoItems)) << "own.csv" << TextEncoding::Cp932
            << kTwoItemsRead << QStringList();
        QTest::newRow("UTF-16LE with a mark, tabs (Excel's Unicode text)")
            << utf16(crlf(tabs(kTwoItems)), QStringConverter::Utf16LE) << "own.txt"
            << TextEncoding::Utf16LE << kTwoItemsRead << QStringList();
        QTest::newRow("UTF-16BE with a mark, tabs")
            << utf16(tabs(kTwoItems), QStringConverter::Utf16BE) << "own.txt"
            << TextEncoding::Utf16BE << kTwoItemsRead << QStringList();
        QTest::newRow("tabs in UTF-8, a comma in a sentence")
            << tabs(kTwoItems).replace("にわに", "にわに,").toUtf8() << "own.tsv"
            << TextEncoding::Utf8
            << QList<QStringList>{{"二年", "ＭＳ 明朝", "にわに,[花]がさいた。=はな",
                                   "[雪]がふる。=ゆき"}}
            << QStringList();
        QTest::newRow("columns in another order, others ignored, no face")
            << QStringLiteral(
                   "番号, 答え ,後の文,問題の部分,前の文,　見出し,メモ\n"
                   "1,はな,がさいた。,花,にわに,二年,花の絵\n")
                   .toUtf8()
            << "own.csv" << TextEncoding::Utf8
            << QList<QStringList>{{"二年", "@HG教科書体", "にわに[花]がさいた。=はな"}}
            << QStringList();
        QTest::newRow("quoting") << (kHeader +
                                     "\n\"一,二\",\"前\"\"の\"\"文\",問,\"\",答,\n"
                                     ",,\"ab\"cd,a\"b,x,\n")
                                        .toUtf8()
                                 << "own.csv" << TextEncoding::Utf8
                                 << QList<QStringList>{{"一,二", "@HG教科書体", "前\"の\"文[問]=答",
                                                        "[abcd]a\"b=x"}}
                                 << QStringList();
        QTest::newRow("an empty 見出し repeats the one above; empty rows are skipped")
            << (kHeader +
                "\nA,a1,問,。,答,\n,a2,問,。,答,\n\n,,,,,\nB,b1,問,。,答,\n"
                "A,a3,問,。,答,,,\n")
                   .toUtf8()
            << "own.csv" << TextEncoding::Utf8
            << QList<QStringList>{{"A", "@HG教科書体", "a1[問]。=答", "a2[問]。=答"},
                                  {"B", "@HG教科書体", "b1[問]。=答"},
                                  {"A", "@HG教科書体", "a3[問]。=答"}}
            << QStringList();
        QTest::newRow("ten items are one heading")
            << (kHeader + "\n" + numberedRows("K", 10)).toUtf8() << "own.csv" << TextEncoding::Utf8
            << QList<QStringList>{QStringList{"K", "@HG教科書体"} + numberedItems(1, 10)}
            << QStringList();
        QTest::newRow("the eleventh continues in (2), in the face a later row names")
            << (kHeader + "\n" + numberedRows("K", 11, 2)).toUtf8() << "own.csv"
            << TextEncoding::Utf8
            << QList<QStringList>{QStringList{"K", "@ＭＳ 明朝"} + numberedItems(1, 10),
                                  QStringList{"K (2)", "@ＭＳ 明朝"} + numberedItems(11, 11)}
            << QStringList{
                   "heading \"K\" has more than 10 items: items 11 on continue in "
                   "\"K (2)\""};
        QTest::newRow("twenty-one items, then another heading")
            << (kHeader + "\n" + numberedRows("K", 21) + numberedRows("L", 1)).toUtf8() << "own.csv"
            << TextEncoding::Utf8
            << QList<QStringList>{QStringList{"K", "@HG教科書体"} + numberedItems(1, 10),
                                  QStringList{"K (2)", "@HG教科書体"} + numberedItems(11, 20),
                                  QStringList{"K (3)", "@HG教科書体"} + numberedItems(21, 21),
                                  QStringList{"L", "@HG教科書体"} + numberedItems(1, 1)}
            << QStringList{
                   "heading \"K\" has more than 10 items: items 11 on continue in "
                   "\"K (2)\" to \"K (3)\""};
        QTest::newRow("the header alone") << kHeader.toUtf8() << "own.csv" << TextEncoding::Utf8
                                          << QList<QStringList>() << QStringList();
    }

    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(TextEncoding, encoding);
        QFETCH(QList<QStringList>, records);
        QFETCH(QStringList, notes);
        makeStale();
        const Loaded loaded = load(bytes, name);
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QCOMPARE(loaded.result.format, QuestionFormat::Teacher);
        QCOMPARE(loaded.result.encoding, encoding);
        QCOMPARE(loaded.result.recordCount, float(records.size()));
        QCOMPARE(loadNotes(loaded.result), notes);
        QCOMPARE(loaded.result.sha256,
                 QString::fromLatin1(
                     QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        QStringList headings;
        for (int r = 0; r < records.size(); ++r) {
            QCOMPARE(recordText(*table_, r), records[r]);
            QCOMPARE(table_->at(r, 1), QString());  // the drill program's record number
            headings << records[r].first();
        }
        QCOMPARE(loaded.headings, headings);
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Refusal>("refusal");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("note");
        const QString none = QStringLiteral(
            "line 1 is not the header (it lacks 見出し, 前の文, 問題の部分, 後の文, 答え): the "
            "first line must name the columns 見出し, 前の文, 問題の部分, 後の文 and 答え; nothing "
            "read");
        const QByteArray rows = (kHeader + "\nA,前,問,後,答,\n").toUtf8();
        QTest::newRow("an empty file") << QByteArray() << Refusal::NoHeader << 1 << none;
        QTest::newRow("a title above the header")
            << "漢字テスト\r\n" + rows << Refusal::NoHeader << 1 << none;
        QTest::newRow("a drill program's file named .csv")
            << pobelo::test::mojBytes({pobelo::test::numberedRecord(1)}) << Refusal::NoHeader << 1
            << none;
        QTest::newRow("a header without 答え")
            << QByteArray("見出し,前の文,問題の部分,後の文,答\nA,前,問,後,答\n")
            << Refusal::NoHeader << 1
            << "line 1 is not the header (it lacks 答え): the first line must name the columns "
               "見出し, 前の文, 問題の部分, 後の文 and 答え; nothing read";
        QTest::newRow("a line break in a quoted field")
            << rows + "A,\"い\r\nう\",問,後,答,\r\n"
            << Refusal::LineBreakInField << 3
            << "line 3: a field holds a line break or its quote (\") is not closed; nothing read";
        QTest::newRow("a quote not closed at the end")
            << rows + "\nA,前,\"問,後,答," << Refusal::LineBreakInField << 4
            << "line 4: a field holds a line break or its quote (\") is not closed; nothing read";
        QTest::newRow("a line break in the header")
            << QByteArray("\"見出し\n\",前の文,問題の部分,後の文,答え\n")
            << Refusal::LineBreakInField << 1
            << "line 1: a field holds a line break or its quote (\") is not closed; nothing read";
        QTest::newRow("a row without its last column, after an empty line")
            << rows + "\r\nA,前,問,後,答\r\n"
            << Refusal::ColumnCount << 4 << "line 4 holds 5 fields, the header 6; nothing read";
        QTest::newRow("a row with a field too many, CR line ends")
            << QByteArray(rows).replace('\n', '\r') + "A,前,問,後,答,,x\r" << Refusal::ColumnCount
            << 3 << "line 3 holds 7 fields, the header 6; nothing read";
        QString past = kHeader + "\n";
        for (int n = 0; n <= QuestionTable::kRecords; ++n)
            past += QStringLiteral("H%1,前,問,後,答,\n").arg(n);
        QTest::newRow("a bad row past the table's end")
            << (past + "A,前\n").toUtf8() << Refusal::ColumnCount << 2004
            << "line 2004 holds 2 fields, the header 6; nothing read";
    }

    void refusals() {
        QFETCH(QByteArray, bytes);
        QFETCH(Refusal, refusal);
        QFETCH(int, line);
        QFETCH(QString, note);
        makeStale();
        const Loaded loaded = load(bytes);
        QCOMPARE(loaded.result.status, LoadStatus::Refused);
        QCOMPARE(loaded.result.refusal, refusal);
        QCOMPARE(loaded.result.refusedLine, line);
        QCOMPARE(loadNotes(loaded.result), QStringList{note});
        QVERIFY(
            loadNotes(loaded.result, true).value(0).startsWith(QStringLiteral("%1行目").arg(line)));
        // Nothing was read: no heading, and the table as it was.
        QCOMPARE(loaded.result.recordCount, 0.0f);
        QCOMPARE(loaded.headings, QStringList());
        for (int s = 0; s < QuestionTable::kSlots; ++s) QCOMPARE(table_->at(0, s), "stale");
    }

    // The table holds 2001 records: a file of more is read up to there, as a drill program's is.
    void tableEnd_data() {
        QTest::addColumn<int>("headings");   // one item each
        QTest::addColumn<int>("lastItems");  // the items of one more heading
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<QString>("last");  // the heading in record 2001
        QTest::newRow("2001 headings") << 2001 << 0 << LoadStatus::Complete << "H2000";
        QTest::newRow("2002 headings") << 2002 << 0 << LoadStatus::TooManyRecords << "H2000";
        QTest::newRow("the last record's heading goes on")
            << 2000 << 11 << LoadStatus::TooManyRecords << "K";
    }

    void tableEnd() {
        QFETCH(int, headings);
        QFETCH(int, lastItems);
        QFETCH(LoadStatus, status);
        QFETCH(QString, last);
        QString text = kHeader + "\n";
        for (int n = 0; n < headings; ++n) text += QStringLiteral("H%1,前,問,後,答,\n").arg(n);
        text += numberedRows("K", lastItems);
        const Loaded loaded = load(text.toUtf8());
        QCOMPARE(loaded.result.status, status);
        QCOMPARE(loaded.result.recordCount, 2001.0f);
        QCOMPARE(loaded.headings.size(), 2001);
        QCOMPARE(loaded.headings.last(), last);
        QCOMPARE(table_->at(2000, slot::kHeading), last);
        // The last record is whole: ten items of the heading that goes on, else its one.
        QCOMPARE(recordText(*table_, 2000).size(), lastItems > 0 ? 12 : 3);
    }

    // A teacher's reading marks (Aozora Bunko's ｜漢字《かんじ》) leave the field and are kept
    // beside it; marks that do not close are text. A drill program's file keeps them as text.
    void readingMarks_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");      // the field as the table holds it
        QTest::addColumn<QString>("readings");  // start+length:reading, ';' between
        const auto row = [](const char* name, const char* field, const char* text,
                            const char* readings) {
            QTest::newRow(name) << QString::fromUtf8(field) << QString::fromUtf8(text)
                                << QString::fromUtf8(readings);
        };
        row("bar and brackets", "｜百舌鳥《もず》が", "百舌鳥が", "0+3:もず");
        row("half-width bar", "とても|大人《おとな》だ", "とても大人だ", "3+2:おとな");
        row("kanji before the brackets", "今日は東京《とうきょう》へ", "今日は東京へ",
            "3+2:とうきょう");
        row("two in a field", "｜明日《あす》と｜昨日《きのう》", "明日と昨日",
            "0+2:あす;3+2:きのう");
        row("empty reading: none", "｜今日《》は", "今日は", "0+2:");
        row("no word before", "《これ》だけ", "《これ》だけ", "");
        row("not closed", "｜漢字《かんじ", "｜漢字《かんじ", "");
        row("bar alone", "ａ｜ｂ", "ａ｜ｂ", "");
    }
    void readingMarks() {
        QFETCH(QString, field);
        QByteArray bytes = (QStringLiteral("見出し,前の文,問題の部分,後の文,答え\nA,") + field +
                            QStringLiteral(",問,後,こたえ\n"))
                               .toUtf8();
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QCOMPARE(loadTeacherDevice(device, *table_, {}).status, LoadStatus::Complete);
        QTEST(table_->at(0, slot::beforeText(0)), "text");
        QStringList readings;
        for (const MarkedReading& r : readingsOfSlot(table_->at(0, slot::kReadings))) {
            QCOMPARE(r.item, 0);
            QCOMPARE(r.field, MarkedReading::Before);
            readings << QStringLiteral("%1+%2:%3").arg(r.start).arg(r.length).arg(r.reading);
        }
        QTEST(readings.join(u';'), "readings");

        // The same field in a drill program's file prints as it is, with no readings of its
        // own, even over a teacher's file read before.
        QByteArray moj = test::mojBytes({test::record(QStringLiteral("A"), {{field, {}, {}, {}}})});
        QBuffer mojDevice(&moj);
        QVERIFY(mojDevice.open(QIODevice::ReadOnly));
        loadQuestionDevice(mojDevice, *table_, {});
        QCOMPARE(table_->at(0, slot::beforeText(0)), field);
        QCOMPARE(table_->at(0, slot::kReadings), QString());
    }

    // A file of 32 MiB is read; one byte more is not a question file.
    void sizeBound() {
        const QByteArray row =
            QStringLiteral("見出し,前の文,問題の部分,後の文,答え\nA,前,問,後,").toUtf8();
        for (const qint64 size : {kMaxQuestionFileBytes, kMaxQuestionFileBytes + 1}) {
            QByteArray bytes = row + QByteArray(size - row.size(), 'x');
            QBuffer device(&bytes);
            QVERIFY(device.open(QIODevice::ReadOnly));
            const LoadResult result = loadTeacherDevice(device, *table_, {});
            QCOMPARE(result.status,
                     size == kMaxQuestionFileBytes ? LoadStatus::Complete : LoadStatus::TooLarge);
            if (result.status == LoadStatus::Complete)
                QCOMPARE(table_->at(0, slot::answer(0)).size(), size - row.size());
        }
    }

    // What the editor saves reads back as it was: quoting, faces, an empty heading, and a line
    // break (which no reader takes) as a space.
    void writtenFileReadsBack() {
        const QList<OwnHeading> saved{
            {"一, \"二\"", {}, {{" 前 ", "問", "後,", "答"}, {"a\r\nb", "c", "\"", ""}}},
            {"字体", "@ＭＳ 明朝", {{"", "池", "で｜百舌鳥《もず》を見た。", "いけ"}}},
            {"空", {}, {}},
        };
        const QByteArray bytes = ownQuestionFileBytes(saved);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        const Loaded loaded = load(bytes);
        QCOMPARE(loaded.result.status, LoadStatus::Complete);
        QList<OwnHeading> expected = saved;
        expected[0].items[1].before = "a b";
        QCOMPARE(ownHeadingsFromTable(*table_, int(loaded.headings.size())), expected);
    }

    // Typed or pasted questions: the notation and spreadsheet rows, each refusal with its line.
    void pasted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("read");  // heading: before[asked]after=answer, or a refusal
        QTest::newRow("notation") << "# 一\n公園の[池]で。\n\n［美｜うつく］しい\n# 二\n[花|はな]"
                                  << QStringList{"一:公園の[池]で。=", "一:[美]しい=うつく",
                                                 "二:[花]=はな"};
        QTest::newRow("before any heading") << "[池]" << QStringList{"無題:[池]="};
        QTest::newRow("rows without header") << "一\t前\t問\t後\t答\n\t前2\t問2\t後2\t"
                                             << QStringList{"一:前[問]後=答", "一:前2[問2]後2="};
        QTest::newRow("rows with header")
            << "答え\t問題の部分\t前の文\nい\t池\t前" << QStringList{"無題:前[池]=い"};
        QStringList eleven(10, "十:[a]=");
        eleven << "十 (2):[a]=";
        QTest::newRow("eleven items") << "# 十\n" + QString("[a]\n").repeated(11) << eleven;
        QTest::newRow("no asked part") << "# 一\n[池]\n池" << QStringList{"refused 3"};
        QTest::newRow("two asked parts") << "[池]と[花]" << QStringList{"refused 1"};
        QTest::newRow("unclosed") << "\n[池" << QStringList{"refused 2"};
        QTest::newRow("empty brackets") << "前[]後" << QStringList{"refused 1"};
        QTest::newRow("row without asked part") << "一\t前" << QStringList{"refused 1"};
    }
    void pasted() {
        QFETCH(QString, text);
        QFETCH(QStringList, read);
        const PastedQuestions pasted = parsePastedQuestions(text, "無題");
        QStringList got;
        if (!pasted.ok()) got << QStringLiteral("refused %1").arg(pasted.refusedLine);
        for (const OwnHeading& h : pasted.headings) {
            for (const OwnItem& i : h.items)
                got << h.name + ":" + i.before + "[" + i.asked + "]" + i.after + "=" + i.answer;
        }
        QCOMPARE(got, read);
    }
};

QTEST_MAIN(TestTeacherFile)
#include "test_teacherfile.moc"
