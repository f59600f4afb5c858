#include "app/ui/ArchiveWorker.h"

#include <QProgressBar>
#include <system_error>
#include <utility>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/IArchiveWindow.h"
#include "phone/ui/WorkerMailbox.h"

namespace tapelink {

ArchiveWorker::ArchiveWorker(IArchiveWindow& window, QObject* parent)
    : QObject(parent), m_window(window), m_mailbox(new WorkerMailbox(this)) {}

ArchiveWorker::~ArchiveWorker() {
    shutdown();
}

void ArchiveWorker::terminate() {
    m_terminating = true;
    m_stopRequest = true;
    if (m_thread.joinable()) m_thread.request_stop();
}

void ArchiveWorker::shutdown() {
    terminate();
    if (m_thread.joinable()) m_thread.join();
    m_mailbox->close();
}

bool ArchiveWorker::start(bool command, Work work, Finished finished) {
    if (m_terminating) return false;
    if (m_thread.joinable()) {
        // A reconciliation gives way (it keeps what it has written); a running command refuses the next.
        if (m_commandRunning) return false;
        m_thread.request_stop();
        m_thread.join();
    }
    m_stopRequest = false;
    m_stopPressed = std::stop_source();
    auto result = std::make_shared<ArchiveWorkResult>();
    const int generation = ++m_generation;
    try {
        m_thread = std::jthread([this, work = std::move(work), result, generation](std::stop_token stop) {
            work(stop, *result);
            m_mailbox->post([this, result, generation] { onWorkFinished(generation, result); });
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_finished = std::move(finished);
    m_commandRunning = command;
    if (command) {
        m_window.setUploadRunning(true);
        m_window.progressBar()->setValue(0);
        m_window.setProgressAreaShown(true);
    }
    return true;
}

void ArchiveWorker::onWorkFinished(int generation, const std::shared_ptr<ArchiveWorkResult>& result) {
    // A reconciliation that gave way to a command reports after the command has started: not its end.
    if (generation != m_generation) return;
    if (m_thread.joinable()) m_thread.join();
    const bool wasCommand = m_commandRunning;
    m_commandRunning = false;
    if (wasCommand) {
        m_window.setProgressAreaShown(false);
        m_window.setUploadRunning(false);
    }
    emit ended();
    if (m_terminating) return;

    showCatalogueOpening(*result, wasCommand, m_window.messages());
    // Taken first: the result's own step may start the next run, which brings its own.
    const Finished finished = std::exchange(m_finished, nullptr);
    if (finished) finished(*result);
    emit settled(wasCommand);
}

}  // namespace tapelink
