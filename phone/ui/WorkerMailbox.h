#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace tapelink {

// Carries calls from worker threads to the thread that owns the mailbox (the GUI thread) and runs them
// there one by one, in the order they were posted. A call waits in a queue behind a std::mutex, and an
// argument-less queued slot takes it out: everything a call captures is handed over under that mutex,
// never inside a Qt event, so the hand-over is ordered by a lock that ThreadSanitizer can see (Qt's own
// event queue locks with bare futexes, invisible to it).
class WorkerMailbox : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Any thread. A call posted after close() is destroyed at once, unrun.
    void post(std::function<void()> call);
    // Destroys the calls not yet run and refuses later ones. Destroying a call releases what it owns,
    // such as a promise its worker waits on.
    void close();

private slots:
    void runNext();

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;  // guarded by m_mutex
    bool m_closed = false;                      // guarded by m_mutex
};

}  // namespace tapelink
