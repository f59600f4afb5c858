#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace tapelink::test {

// Acts on the modal dialog of type Dialog once exec() has made it the active modal window, from inside
// that exec()'s event loop; then closes it if act left it open, so a failed check never leaves the test
// waiting on a dialog. Arm it before the command that opens the dialog. seen (if given) is set when the
// dialog appeared. Deleting the returned watch disarms it.
template <typename Dialog>
QPointer<QTimer> whenModal(std::function<void(Dialog&)> act, bool* seen = nullptr) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act), seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        poll->stop();
        poll->deleteLater();
        if (seen != nullptr) *seen = true;
        act(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    poll->start();
    return poll;
}

// Closes every modal dialog that comes up, counting them, until the returned watch is deleted.
inline QPointer<QTimer> closeEveryModal(int& closed) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [&closed] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++closed;
            dialog->reject();
        }
    });
    poll->start();
    return poll;
}

}  // namespace tapelink::test
