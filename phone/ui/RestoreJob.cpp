#include "phone/ui/RestoreJob.h"

#include <future>
#include <system_error>

namespace tapelink {

// The worker's observer and message sink: every call is carried to the GUI thread through the job's
// mailbox and becomes a signal of the job there, or a message shown there.
class RestoreJob::Bridge : public IRestoreObserver, public IMessageSink {
public:
    explicit Bridge(RestoreJob& job) : m_job(job) {}
    void progressStarted(int count) override { emitOnGuiThread(&RestoreJob::progressStarted, count); }
    void progressAdvanced(int done) override { emitOnGuiThread(&RestoreJob::progressAdvanced, done); }
    void savePhoneIndexRequested() override { emitOnGuiThread(&RestoreJob::savePhoneIndexRequested); }
    void progressEnded() override { emitOnGuiThread(&RestoreJob::progressEnded); }
    void listRefreshRequested() override { emitOnGuiThread(&RestoreJob::listRefreshRequested); }
    void phoneRescanRequested() override { emitOnGuiThread(&RestoreJob::phoneRescanRequested); }
    void showMessage(const std::string& text, MessageIcon icon) override { m_job.showFromWorker(text, icon); }

private:
    template <typename Signal, typename... Args>
    void emitOnGuiThread(Signal signal, Args... args) {
        RestoreJob* job = &m_job;
        m_job.m_mailbox->post([job, signal, args...] { (job->*signal)(args...); });
    }

    RestoreJob& m_job;
};

RestoreJob::RestoreJob(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages, TransferJob job,
                       RowTable rows, QObject* parent)
    : QObject(parent),
      m_driveRoot(std::move(driveRoot)),
      m_header(header),
      m_messages(messages),
      m_job(std::move(job)),
      m_rows(std::move(rows)),
      m_mailbox(new WorkerMailbox(this)) {}

RestoreJob::~RestoreJob() {
    // A message the worker has posted and waits on is dropped, which releases the wait.
    m_mailbox->close();
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
            m_mailbox->post([this] { emit finished(); });
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
    m_mailbox->post([this, text, icon, shown = std::move(shown)] {
        m_messages.showMessage(text, icon);
        shown->set_value();
    });
    done.wait();
}

}  // namespace tapelink
