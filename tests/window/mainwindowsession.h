// What the tests of the main window share: the window over a model with scripted dialogs, and a
// folder holding the three numbered records the tests open.

#pragma once

#include <QLabel>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow.h"
#include "modelfixture.h"
#include "mojfile.h"

namespace pobelo::test {

// The real window over a model with scripted dialogs.
struct Session : ModelFixture {
    MainWindow window{model};

    Session() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    // A length in twips as pixels, from the window's logical dpi.
    int px(int twips) const { return qRound(twips * window.logicalDpiY() / 1440.0); }
    template <typename T>
    T* find(const QString& name) const {
        return window.findChild<T*>(name);
    }
    QLabel* label(LabelArray array, int row) const { return window.arrayLabel(array, row); }
    // The topmost control at the centre of a control's place, as a mouse click finds it.
    QWidget* topmostAt(const QString& name) const {
        const QWidget* control = find<QWidget>(name);
        return window.clientArea()->childAt(control->geometry().center());
    }
    void clickAt(const QString& name) const {
        QWidget* target = topmostAt(name);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }
    bool pageEnabled(LabelArray first, bool enabled) const {
        for (int a = first; a < first + 3; ++a)
            for (int row = 0; row < kRows; ++row)
                if (label(LabelArray(a), row)->isEnabled() != enabled) return false;
        return true;
    }
};

// A temporary folder holding the three numbered records.
class MainWindowFixture : public QObject {
    Q_OBJECT

  protected:
    QTemporaryDir dir_;
    QString threeRecords_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        threeRecords_ = dir_.filePath(QStringLiteral("three.moj"));
        QVERIFY(writeFile(threeRecords_, threeRecordsBytes()));
    }
};

}  // namespace pobelo::test
