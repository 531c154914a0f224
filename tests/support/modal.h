#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace pobelo::test {

// Runs action, which opens a modal dialog; inspect sees the dialog, which is then closed. True
// when the dialog showed and everything was over by deadlineMs. Past the deadline, whatever
// modal window is still open (a dialog that inspect opened, or one that never was the expected
// one) is closed, so that the test fails instead of hanging. (Widgets tests only.)
inline bool whileModal(const std::function<void()>& action,
                       const std::function<void(QDialog*)>& inspect, int deadlineMs = 20000) {
    bool shown = false;
    bool overran = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        shown = true;
        inspect(dialog);
        dialog->reject();
    });
    // A timer of its own: the poll's is not called again while inspect runs.
    QTimer watchdog;
    watchdog.setInterval(deadlineMs);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        watchdog.setInterval(100);
        if (QWidget* modal = QApplication::activeModalWidget()) {
            overran = true;
            modal->close();
        }
    });
    poll.start();
    watchdog.start();
    action();
    return shown && !overran;
}

}  // namespace pobelo::test
