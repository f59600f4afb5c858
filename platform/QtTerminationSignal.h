#pragma once

#include <QObject>

class QSocketNotifier;

namespace tapelink {

// SIGTERM and SIGINT as a Qt signal on the GUI thread, so that a desktop session ending (or a script)
// closes the program's windows the way the user would, instead of killing it mid-write. One per process.
class QtTerminationSignal : public QObject {
    Q_OBJECT

public:
    explicit QtTerminationSignal(QObject* parent = nullptr);
    ~QtTerminationSignal() override;

    // Installs the handlers; false when the pipe or a handler could not be set up.
    bool start();

signals:
    void received();

private:
    void drain();

    int m_readFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace tapelink
