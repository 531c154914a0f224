#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace pobelo::test {

// Runs action, which opens a modal dialog; inspect sees the dialog, which is then closed. Whether
// a dialog showed: when none does within deadlineMs, whatever modal window is open then is
// closed, so that action returns and the test fails instead of hanging. (Widgets tests only.)
inline bool whileModal(const std::function<void()>& action,
                       const std::function<void(QDialog*)>& inspect, int deadlineMs = 20000) {
    QTimer poll;
    poll.setInterval(10);
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            poll.stop();
            shown = true;
            inspect(dialog);
            dialog->reject();
        } else if (clock.hasExpired(deadlineMs)) {
            poll.stop();
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    poll.start();
    action();
    return shown;
}

}  // namespace pobelo::test
