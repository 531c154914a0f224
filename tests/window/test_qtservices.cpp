// The desktop's dialogs as the program wires them to the window: a print on a computer without
// a printer, where the open dialog starts, and Qt's settings, which stay out of the user's own
// (the registry on Windows). Qt's own dialogs, not the system's, so that the test can answer them.

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "mainwindow.h"
#include "modal.h"
#include "mojfile.h"
#include "qtservices.h"
#include "sheetmodel.h"

using namespace pobelo;
using namespace pobelo::test;

namespace {

// The window as the program builds it, over the real desktop services.
struct Program {
    QtSheetServices platform;
    SheetModel model{platform.services()};
    MainWindow window{model};
    Program() {
        platform.setParentWidget(&window);
        platform.attachModel(model);
        window.show();
    }
};

// Answers each modal dialog as it comes with the next of answers, which gets the dialog; past
// the last answer a dialog is rejected, and so is one still open after its answer. Returns the
// dialogs' kinds as they came ("message: TEXT", "files: FOLDER", "other", "still open").
QStringList answering(const std::function<void()>& action,
                      QList<std::function<void(QDialog*)>> answers) {
    QStringList seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        if (dialog->property("answered").toBool()) {
            seen << QStringLiteral("still open");
            dialog->reject();
            return;
        }
        dialog->setProperty("answered", true);
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            seen << QStringLiteral("message: ") + box->text();
        else if (auto* files = qobject_cast<QFileDialog*>(dialog))
            seen << QStringLiteral("files: ") + files->directory().absolutePath();
        else
            seen << QStringLiteral("other");
        if (answers.isEmpty())
            dialog->reject();
        else
            answers.takeFirst()(dialog);
    });
    poll.start();
    action();
    return seen;
}

void clickButton(QDialog* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) return button->click();
    }
    QFAIL(qPrintable(QStringLiteral("no button %1").arg(text)));
}

}  // namespace

class TestQtServices : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString questions_;

  private Q_SLOTS:
    void initTestCase() {
        // Qt's dialogs instead of the desktop's, which a test cannot see into.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
#ifndef Q_OS_WIN
        // The settings every Qt program shares are the test's own, not the developer's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("config"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("config"));
#endif
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("pobelo-probe 週1")));
        questions_ = dir_.filePath(QStringLiteral("pobelo-probe 週1/three.moj"));
        QVERIFY(writeFile(questions_, threeRecordsBytes()));
    }

    // Every way to print tells that no printer is installed, and offers PDFに保存, which saves
    // the sheet as ファイル > PDFに保存 does; the print counts as not done.
    void printWithoutPrinter_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("savePdf");
        for (const char* command : {"Command2", "prt", "key"}) {
            QTest::addRow("%s, PDF", command) << QString::fromLatin1(command) << true;
            QTest::addRow("%s, closed", command) << QString::fromLatin1(command) << false;
        }
    }
    void printWithoutPrinter() {
        if (printerInstalled()) QSKIP("this computer has a printer installed");
        QFETCH(QString, command);
        QFETCH(bool, savePdf);
        Program p;
        p.model.openFile(questions_);
        p.model.chooseHeading(0);
        QVERIFY(!p.platform.printerMissing());
        // The save dialog proposes the sheet's title as the name, in the question file's folder;
        // it is accepted as it stands.
        const QString pdf = QFileInfo(questions_).absolutePath() + QStringLiteral("/小テスト.pdf");
        QFile::remove(pdf);

        QList<std::function<void(QDialog*)>> answers;
        answers << [savePdf](QDialog* box) {
            clickButton(box, savePdf ? QStringLiteral("PDFに保存…") : QStringLiteral("閉じる"));
        };
        answers << [](QDialog* files) { files->accept(); };
        const QStringList seen = answering(
            [&] {
                if (command == QLatin1String("Command2"))
                    p.window.findChild<QToolButton*>(command)->click();
                else
                    p.window.findChild<QAction*>(command)->trigger();
            },
            answers);
        QVERIFY(p.platform.printerMissing());
        QVERIFY2(!seen.isEmpty() && seen.first().startsWith(QStringLiteral("message: ")) &&
                     seen.first().contains(QStringLiteral("プリンターがインストールされていない")),
                 qPrintable(seen.join(u'\n')));
        if (savePdf) {
            // The save dialog proposes the question file's folder.
            QCOMPARE(seen.value(1),
                     QStringLiteral("files: ") + dir_.filePath(QStringLiteral("pobelo-probe 週1")));
            QFile saved(pdf);
            QVERIFY2(saved.open(QIODevice::ReadOnly) && saved.read(5) == "%PDF-",
                     qPrintable(seen.join(u'\n')));
            QCOMPARE(seen.size(), 2);
        } else {
            QCOMPARE(seen.size(), 1);
            QVERIFY(!QFile::exists(pdf));
        }
    }

    // ファイル > 開く starts in the open question file's folder, not in the last one visited.
    void openDialogStartsBesideTheOpenFile() {
        const QString other = dir_.filePath(QStringLiteral("other/two.moj"));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("other")));
        QVERIFY(writeFile(other, threeRecordsBytes()));
        Program p;
        const auto open = [&p] {
            return answering([&p] { p.window.findChild<QAction*>("fo")->trigger(); }, {});
        };
        p.model.openFile(questions_);
        QCOMPARE(open(), QStringList{"files: " + QFileInfo(questions_).absolutePath()});
        p.model.openFile(other);
        QCOMPARE(open(), QStringList{"files: " + QFileInfo(other).absolutePath()});
    }

    // After the open and save dialogs, the settings every Qt program shares are as they were:
    // not there, there without the dialogs' group, or holding another program's last folder.
    void sharedQtSettingsPutBack_data() {
        QTest::addColumn<QStringList>("store");  // key=value lines; "-" for no store
        QTest::newRow("no store") << QStringList{"-"};
        QTest::newRow("another program's own key") << QStringList{"other/size=3"};
        QTest::newRow("another program's last folder")
            << QStringList{"FileDialog/lastVisited=file:///elsewhere", "FileDialog/viewMode=Detail",
                           "other/size=3"};
    }
    void sharedQtSettingsPutBack() {
        QFETCH(QStringList, store);
        const std::optional<QStringList> kept = sharedStore();
        setSharedStore(store);
        QCOMPARE(sharedStore().value_or(QStringList{"-"}), store);
        {
            Program p;
            p.model.openFile(questions_);
            // The open dialog, in the question file's folder, then the save dialog.
            answering([&p] { p.window.findChild<QAction*>("fo")->trigger(); }, {});
            answering([&p] { p.window.findChild<QAction*>("pdf")->trigger(); }, {});
        }
        const QStringList after = sharedStore().value_or(QStringList{"-"});
        setSharedStore(kept.value_or(QStringList{"-"}));
        QCOMPARE(after, store);
    }

  private:
    // The shared settings as key=value lines, sorted; nothing when there is no store at all.
    static std::optional<QStringList> sharedStore() {
#ifdef Q_OS_WIN
        if (!QSettings(kSoftware, QSettings::NativeFormat).childGroups().contains("QtProject"))
            return std::nullopt;
#endif
        const QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
#ifndef Q_OS_WIN
        if (!QFileInfo::exists(qt.fileName())) return std::nullopt;
#endif
        QStringList lines;
        for (const QString& key : qt.allKeys()) lines << key + '=' + qt.value(key).toString();
        lines.sort();
        return lines;
    }
    static void setSharedStore(const QStringList& lines) {
#ifdef Q_OS_WIN
        QSettings(kSoftware, QSettings::NativeFormat).remove(QStringLiteral("QtProject"));
#else
        QFile::remove(QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName());
#endif
        if (lines == QStringList{"-"}) return;
        QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
        for (const QString& line : lines)
            qt.setValue(line.section('=', 0, 0), line.section('=', 1));
    }
#ifdef Q_OS_WIN
    static inline const QString kSoftware = QStringLiteral("HKEY_CURRENT_USER\\Software");
#endif
};

QTEST_MAIN(TestQtServices)
#include "test_qtservices.moc"
