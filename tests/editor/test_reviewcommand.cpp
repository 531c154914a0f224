// まとめテストを作る through the model: what the review dialog is shown and what its answer
// composes.
#include <QTemporaryDir>
#include <QtTest>

#include "modelfixture.h"
#include "mojfile.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

using Items = QList<ItemRef>;
Q_DECLARE_METATYPE(std::optional<Items>)

class ReviewCommandTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QList<QStringList> four;
        for (int n = 0; n < 4; ++n) four << numberedRecord(n);
        // Heading 4 asks only its first two items.
        four[3] = record(QStringLiteral("見出し3"),
                         {{"前", "こたえ", "漢字", "後"}, {"前b", "こたえb", "漢字b", "後b"}});
        file_ = dir_.filePath(QStringLiteral("four.moj"));
        QVERIFY(writeFile(file_, mojBytes(four)));
    }

    void reviewCommandComposesWhatTheDialogChose_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("leftActive");  // a heading composed first, so the left is next
        QTest::addColumn<std::optional<Items>>("answer");
        QTest::addColumn<Items>("expected");  // the active page's items; empty: nothing changed
        QTest::addColumn<QString>("title");
        const Items three{{0, 9}, {2, 0}, {3, 1}};
        QTest::newRow("ticked items onto the right page")
            << true << false << std::optional<Items>(three) << three << "小テスト 1〜4";
        QTest::newRow("onto the left page while it is active")
            << true << true << std::optional<Items>(Items{{1, 2}, {1, 5}}) << Items{{1, 2}, {1, 5}}
            << "小テスト 2";
        Items eleven;
        for (int i = 0; i < 10; ++i) eleven << ItemRef{0, qint16(i)};
        eleven << ItemRef{1, 0};
        QTest::newRow("ten at most")
            << true << false << std::optional<Items>(eleven) << eleven.mid(0, 10) << "小テスト 1";
        QTest::newRow("items without text are left out")
            << true << false << std::optional<Items>(Items{{3, 5}, {3, 0}}) << Items{{3, 0}}
            << "小テスト 4";
        QTest::newRow("cancel changes nothing")
            << true << false << std::optional<Items>() << Items{} << QString();
        QTest::newRow("nothing ticked changes nothing")
            << true << false << std::optional<Items>(Items{}) << Items{} << QString();
        QTest::newRow("no file open: no dialog")
            << false << false << std::optional<Items>(three) << Items{} << QString();
    }
    void reviewCommandComposesWhatTheDialogChose() {
        QFETCH(bool, open);
        QFETCH(bool, leftActive);
        QFETCH(std::optional<Items>, answer);
        QFETCH(Items, expected);
        QFETCH(QString, title);
        if (!cp932DecoderAvailable()) QSKIP("no CP932 decoder in this Qt");
        ModelFixture f;
        if (open) f.model.openFile(file_);
        if (leftActive) f.model.chooseHeading(0);
        const int page = f.model.rightPageActive() ? 0 : 1;
        const PageVariant before = f.model.variant(page);
        const QStringList asked = f.captions(page == 0 ? Label2 : Label5);
        f.review.answers.push_back(answer);
        f.model.reviewCommand();

        QCOMPARE(f.review.headingsSeen.size(), open ? 1 : 0);
        if (open) QCOMPARE(f.review.headingsSeen[0], f.model.combo1List());
        const PageVariant& after = f.model.variant(page);
        if (expected.isEmpty()) {
            QCOMPARE(after.items, before.items);
            QCOMPARE(after.source, before.source);
            QCOMPARE(f.captions(page == 0 ? Label2 : Label5), asked);
            return;
        }
        QCOMPARE(after.source, PageSource::Review);
        for (int row = 0; row < kRows; ++row)
            QCOMPARE(f.model.itemAt(page, row), expected.value(row));
        QCOMPARE(page == 0 ? f.model.label51() : f.model.label52(), title);
        // The page shows the items' asked parts, and the other page becomes the active one.
        QCOMPARE(f.model.caption(page == 0 ? Label2 : Label5, 0),
                 f.model.table().at(expected[0].record, slot::askedText(expected[0].item)));
        QCOMPARE(f.model.rightPageActive(), page == 1);
    }
};

QTEST_MAIN(ReviewCommandTest)
#include "test_reviewcommand.moc"
