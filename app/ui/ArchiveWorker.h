#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "app/ui/ArchiveWorkResult.h"

namespace tapelink {

class IArchiveWindow;
class WorkerMailbox;

// The main window archive's one worker thread. It touches no widget: work reaches the window through the
// mailbox, and its result comes back on the window's thread once the thread has ended, after the window was
// told how the catalogue opened. A command marks the window busy and shows the progress area meanwhile; a
// reconciliation does neither and gives way to a command.
class ArchiveWorker : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(std::stop_token, ArchiveWorkResult&)>;
    // Runs on the window's thread after the run's end, unless the window is closing.
    using Finished = std::function<void(const ArchiveWorkResult&)>;

    explicit ArchiveWorker(IArchiveWindow& window, QObject* parent = nullptr);
    ~ArchiveWorker() override;

    // False when the window is closing, a command runs, or no thread could be made.
    bool start(bool command, Work work, Finished finished);

    // True while a command runs (the window refuses its commands then); a reconciliation alone does not count.
    bool isRunning() const { return m_commandRunning; }
    bool isBusy() const { return m_thread.joinable(); }
    void requestStop() {
        m_stopRequest = true;
        m_stopPressed.request_stop();
    }
    // The window is closing: the work stops at its next block and ended() follows, with no result shown.
    void terminate();
    // Stops, joins and refuses whatever the worker still posts; nothing runs after it.
    void shutdown();

    WorkerMailbox& mailbox() const { return *m_mailbox; }
    // The stop button, as a flag and as a token; both are reset for each run.
    const std::atomic<bool>& stopRequest() const { return m_stopRequest; }
    const std::stop_source& stopPressed() const { return m_stopPressed; }

signals:
    // Each run's end, before its result is shown.
    void ended();
    // After its result was shown; not when the window is closing.
    void settled(bool command);

private:
    void onWorkFinished(int generation, const std::shared_ptr<ArchiveWorkResult>& result);

    IArchiveWindow& m_window;
    WorkerMailbox* m_mailbox;
    std::atomic<bool> m_stopRequest{false};
    std::stop_source m_stopPressed;  // the same, for work that takes a stop token
    bool m_commandRunning = false;
    bool m_terminating = false;
    int m_generation = 0;  // which start of the worker the coming result belongs to
    Finished m_finished;
    std::jthread m_thread;  // last: joined first when the worker goes
};

}  // namespace tapelink
