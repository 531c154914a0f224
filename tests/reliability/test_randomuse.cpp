// Random use of the sheet model: ten thousand user actions drawn with a fixed seed, with the
// sheet's invariants checked after each one. A failure names the seed, the step and the actions
// that led there; POBELO_RANDOM_SEED runs another sequence.
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "modelfixture.h"
#include "modelinvariants.h"
#include "mojfile.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

constexpr int kActions = 10000;
constexpr quint32 kDefaultSeed = 20090101;

// What must hold after every action; empty when it does.
QString brokenInvariant(const ModelFixture& f) {
    const QString broken = pobelo::test::brokenInvariant(f.model);
    if (!broken.isEmpty()) return broken;
    for (const QString& message : f.model.messages())
        if (!message.endsWith(QStringLiteral("」が見つかりません。")))
            return QStringLiteral("message: ") + message;
    return {};
}

}  // namespace

class RandomUseTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QStringList goodFiles_, hostileFiles_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        auto add = [&](QStringList& list, const QString& name, const QByteArray& bytes) {
            const QString path = dir_.filePath(name);
            QVERIFY(writeFile(path, bytes));
            list << path;
        };
        QList<QStringList> twelve, one, vertical;
        for (int n = 0; n < 12; ++n) twelve << numberedRecord(n);
        one << numberedRecord(50, QStringLiteral("@ＭＳ 明朝"));
        for (int n = 0; n < 3; ++n)
            vertical << numberedRecord(60 + n, QStringLiteral("@IPAexMincho"));
        add(goodFiles_, QStringLiteral("twelve.moj"), mojBytes(twelve));
        add(goodFiles_, QStringLiteral("one.moj"), mojBytes(one));
        add(goodFiles_, QStringLiteral("vertical.moj"), mojBytes(vertical));
        add(hostileFiles_, QStringLiteral("unclosed.moj"),
            mojBytes(twelve.mid(0, 2)) + "\"open to the end, " + QByteArray(300, 'x'));
        add(hostileFiles_, QStringLiteral("badbytes.moj"),
            QByteArray("\x88\x80,\xff\"").repeated(200) + mojBytes(one));
        add(hostileFiles_, QStringLiteral("empty.moj"), QByteArray());
        hostileFiles_ << dir_.path();  // a folder
    }

    void randomActions() {
        bool seedGiven = false;
        const quint32 seed =
            quint32(qEnvironmentVariableIntValue("POBELO_RANDOM_SEED", &seedGiven));
        QRandomGenerator random(seedGiven ? seed : kDefaultSeed);
        const QString seedText = QString::number(seedGiven ? seed : kDefaultSeed);

        ModelFixture f;
        QStringList log;
        int missingOpens = 0;
        int prints = 0;
        auto pick = [&](const QStringList& list) { return list[random.bounded(int(list.size()))]; };

        for (int step = 0; step < kActions; ++step) {
            const int shownBefore = f.printer.shown;
            QString action;
            bool printing = false;
            switch (random.bounded(16)) {
                case 0:
                case 1: {
                    const QString path = pick(goodFiles_);
                    action = QStringLiteral("open ") + QFileInfo(path).fileName();
                    f.files.answers.push_back(path);
                    f.model.openCommand();
                    break;
                }
                case 2: {
                    const QString path = pick(hostileFiles_);
                    action = QStringLiteral("open hostile ") + QFileInfo(path).fileName();
                    f.files.answers.push_back(path);
                    f.model.openCommand();
                    break;
                }
                case 3:
                    action = QStringLiteral("open missing");
                    f.files.answers.push_back(dir_.filePath(QStringLiteral("missing.moj")));
                    f.model.openCommand();
                    ++missingOpens;
                    break;
                case 4:
                    action = QStringLiteral("open-cancel");
                    f.files.answers.push_back(std::nullopt);
                    f.model.openCommand();
                    break;
                case 5:
                case 6: {
                    // Mostly a listed heading; now and then a position the list does not have.
                    const int size = int(f.model.combo1List().size());
                    const int position = random.bounded(8) == 0 ? random.bounded(-1, size + 2)
                                                                : random.bounded(std::max(size, 1));
                    action = QStringLiteral("choose %1").arg(position);
                    f.model.chooseHeading(position);
                    break;
                }
                case 7:
                case 8: {
                    const int n = random.bounded(1, 7);
                    action = QStringLiteral("click Image%1").arg(n);
                    f.model.clickImage(n);
                    break;
                }
                case 9: {
                    const QString title =
                        pick({QString(), QStringLiteral("小テスト"),
                              QStringLiteral("漢字 第%1回").arg(step), QStringLiteral("𠮟る")});
                    action = QStringLiteral("type ") + title;
                    f.model.setText3(title);
                    break;
                }
                case 10: {
                    const int n = random.bounded(1, 3);
                    const int value = random.bounded(2);
                    action = QStringLiteral("tick Check%1 %2").arg(n).arg(value);
                    f.model.setCheck(n, value);
                    break;
                }
                case 11: {
                    const FontChoice font{
                        pick({QStringLiteral("ＭＳ 明朝"), QStringLiteral("@ＭＳ 明朝"),
                              QStringLiteral("@IPAexMincho"), QString(), QStringLiteral("＠全角")}),
                        float(random.bounded(6, 30)), random.bounded(2) == 1,
                        random.bounded(2) == 1};
                    action = QStringLiteral("font ") + font.name;
                    f.fonts.answers.push_back(font);
                    f.model.fontCommand();
                    break;
                }
                case 12:
                    action = QStringLiteral("font-cancel");
                    f.fonts.answers.push_back(std::nullopt);
                    f.model.fontCommand();
                    break;
                case 13:
                case 14: {
                    const int orientation = random.bounded(1, 3);
                    action = QStringLiteral("print %1").arg(orientation);
                    f.printer.answers.push_back({true, orientation, {}});
                    f.model.printSheet();
                    printing = true;
                    break;
                }
                case 15:
                    action = QStringLiteral("print-cancel");
                    f.printer.answers.push_back({false, 1, {}});
                    f.model.printSheet();
                    printing = true;
                    break;
            }
            // A dialog that a disabled command never showed must not answer a later one.
            f.files.answers.clear();
            f.fonts.answers.clear();
            f.printer.answers.clear();
            log << action;

            QString broken = brokenInvariant(f);
            if (broken.isEmpty() && printing) {
                if (f.printer.shown != shownBefore &&
                    f.surface.lines().value(f.surface.lines().size() - 1) !=
                        QLatin1String("{\"op\":\"endDoc\"}"))
                    broken = QStringLiteral("the print job was not ended");
                else if (f.printer.shown == shownBefore && !f.surface.lines().isEmpty())
                    broken = QStringLiteral("a disabled print command drew");
                if (f.printer.shown != shownBefore) ++prints;
                f.surface.clear();
            }
            if (broken.isEmpty() && f.model.messages().size() > missingOpens)
                broken = QStringLiteral("a message without a missing file");
            QVERIFY2(broken.isEmpty(),
                     qPrintable(QStringLiteral("seed %1, step %2 (%3): %4\nlast actions: %5")
                                    .arg(seedText)
                                    .arg(step)
                                    .arg(action, broken, log.mid(log.size() - 25).join(" | "))));
        }
        // The sequence reached the commands that are enabled only once a record is composed.
        QVERIFY2(prints > 100, qPrintable(QString::number(prints)));
        QCOMPARE(f.model.messages().size(), missingOpens);
    }
};

QTEST_GUILESS_MAIN(RandomUseTest)
#include "test_randomuse.moc"
