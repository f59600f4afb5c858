#include "phone/ui/UploadJob.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>

namespace tapelink {

namespace {

// The worker's side of the observer: each call is posted to the window's thread through the job's
// mailbox and waited for. A call that can't be answered because the job was cancelled returns its
// fallback, and a posted call whose worker gave up on it is never run, so no message box appears
// after a cancel.
class Relay : public IUploadObserver {
public:
    Relay(WorkerMailbox& mailbox, IUploadObserver& view, std::stop_token stop)
        : m_mailbox(mailbox), m_view(view), m_stop(std::move(stop)) {}

    std::string fileNameOfRow(int row) override {
        return call<std::string>([row](IUploadObserver& view) { return view.fileNameOfRow(row); }, {});
    }
    void setStatusText(const std::string& statusText) override {
        apply([statusText](IUploadObserver& view) { view.setStatusText(statusText); });
    }
    void setProgressRange(int maximum) override {
        apply([maximum](IUploadObserver& view) { view.setProgressRange(maximum); });
    }
    void setProgressPosition(int position) override {
        apply([position](IUploadObserver& view) { view.setProgressPosition(position); });
    }
    void setProgressVisible(bool visible) override {
        apply([visible](IUploadObserver& view) { view.setProgressVisible(visible); });
    }
    void showMessage(const std::string& text, MessageIcon icon) override {
        apply([text, icon](IUploadObserver& view) { view.showMessage(text, icon); });
    }
    OverwriteDecision askOverwrite(const std::string& promptText) override {
        return call<OverwriteDecision>([promptText](IUploadObserver& view) { return view.askOverwrite(promptText); },
                                       OverwriteDecision::No);
    }

private:
    template <typename Result>
    struct Call {
        std::mutex mutex;
        std::condition_variable_any ready;
        bool done = false;
        bool abandoned = false;
        Result result{};
    };

    template <typename F>
    void apply(F fn) {
        call<bool>(
            [fn](IUploadObserver& view) {
                fn(view);
                return true;
            },
            false);
    }

    template <typename Result, typename F>
    Result call(F fn, Result fallback) {
        if (m_stop.stop_requested()) return fallback;
        auto state = std::make_shared<Call<Result>>();
        IUploadObserver* view = &m_view;
        m_mailbox.post([state, fn, view] {
            {
                std::lock_guard lock(state->mutex);
                if (state->abandoned) return;
            }
            Result result = fn(*view);
            std::lock_guard lock(state->mutex);
            state->result = std::move(result);
            state->done = true;
            state->ready.notify_all();
        });
        std::unique_lock lock(state->mutex);
        if (!state->ready.wait(lock, m_stop, [&state] { return state->done; })) {
            state->abandoned = true;
            return fallback;
        }
        return std::move(state->result);
    }

    WorkerMailbox& m_mailbox;
    IUploadObserver& m_view;
    std::stop_token m_stop;
};

}  // namespace

UploadJob::UploadJob(UploadEngine& engine, IUploadObserver& view, QObject* parent)
    : QObject(parent), m_engine(engine), m_view(view), m_mailbox(new WorkerMailbox(this)) {
    qRegisterMetaType<tapelink::UploadReport>();
}

UploadJob::~UploadJob() {
    cancel();
    wait();
}

bool UploadJob::start(const UploadTask& task) {
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();
    try {
        m_thread = std::jthread([this, task](std::stop_token stop) {
            Relay relay(*m_mailbox, m_view, stop);
            const UploadReport report = m_engine.WorkerMain(task, stop, relay);
            m_mailbox->post([this, report] { onWorkerEnded(report); });
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_running = true;
    return true;
}

void UploadJob::cancel() {
    if (m_thread.joinable()) m_thread.request_stop();
}

void UploadJob::wait() {
    if (m_thread.joinable()) m_thread.join();
}

void UploadJob::onWorkerEnded(const UploadReport& report) {
    wait();
    m_running = false;
    emit finished(report);
}

}  // namespace tapelink
