#include "phone/ui/RestoreJob.h"

#include <QCoreApplication>
#include <future>
#include <system_error>

namespace tapelink {

// The worker's observer and message sink: every call becomes a signal of the job, or a message shown on
// the GUI thread.
class RestoreJob::Bridge : public IRestoreObserver, public IMessageSink {
public:
    explicit Bridge(RestoreJob& job) : m_job(job) {}
    void progressStarted(int count) override { emit m_job.progressStarted(count); }
    void progressAdvanced(int done) override { emit m_job.progressAdvanced(done); }
    void savePhoneIndexRequested() override { emit m_job.savePhoneIndexRequested(); }
    void progressEnded() override { emit m_job.progressEnded(); }
    void listRefreshRequested() override { emit m_job.listRefreshRequested(); }
    void phoneRescanRequested() override { emit m_job.phoneRescanRequested(); }
    void showMessage(const std::string& text, MessageIcon icon) override { m_job.showFromWorker(text, icon); }

private:
    RestoreJob& m_job;
};

RestoreJob::RestoreJob(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages, TransferJob job,
                       RowTable rows, QObject* parent)
    : QObject(parent),
      m_driveRoot(std::move(driveRoot)),
      m_header(header),
      m_messages(messages),
      m_job(std::move(job)),
      m_rows(std::move(rows)) {}

RestoreJob::~RestoreJob() {
    {
        // A message the worker has posted and waits on is dropped, which releases the wait.
        std::lock_guard lock(m_postMutex);
        m_abandoned = true;
        QCoreApplication::removePostedEvents(this);
    }
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

bool RestoreJob::start() {
    try {
        m_thread = std::jthread([this](std::stop_token stop) {
            Bridge bridge(*this);
            RecycleBin bin(m_driveRoot, m_header, bridge);
            bin.RestoreWorker(m_job, m_rows, stop, bridge);
            emit finished();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void RestoreJob::requestStop() {
    m_thread.request_stop();
}

void RestoreJob::showFromWorker(const std::string& text, MessageIcon icon) {
    // A blocking queued call that the job's destruction can release: only the posted call owns the
    // promise, so dropping the call unrun breaks it and ends the wait.
    std::promise<void> promise;
    std::future<void> done = promise.get_future();
    auto shown = std::make_shared<std::promise<void>>(std::move(promise));
    {
        std::lock_guard lock(m_postMutex);
        if (m_abandoned) return;
        QMetaObject::invokeMethod(
            this,
            [this, text, icon, shown = std::move(shown)] {
                m_messages.showMessage(text, icon);
                shown->set_value();
            },
            Qt::QueuedConnection);
    }
    done.wait();
}

}  // namespace tapelink
