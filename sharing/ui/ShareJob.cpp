#include "sharing/ui/ShareJob.h"

#include <QMetaObject>

#include "sharing/ShareRun.h"

namespace tapelink {

namespace {

// Carries each step to the window's thread; the worker never waits for it.
class ProgressRelay : public IShareObserver {
public:
    explicit ProgressRelay(ShareJob& job) : m_job(job) {}
    void onRecording(int index, int count, const std::string& name) override {
        const QString text = QString::fromStdString(name);
        ShareJob* job = &m_job;
        QMetaObject::invokeMethod(
            job, [job, index, count, text] { emit job->progress(index, count, text); }, Qt::QueuedConnection);
    }

private:
    ShareJob& m_job;
};

}  // namespace

ShareJob::~ShareJob() {
    m_thread.request_stop();
    if (m_thread.joinable()) m_thread.join();
}

bool ShareJob::start(const SharePlan& plan) {
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();
    std::shared_ptr<IAudioEncoder> encoder = m_tools.encoder(plan.format);
    std::shared_ptr<IShareWriter> writer = m_tools.writer(plan.target, plan.targetPath);
    m_running = true;
    m_thread = std::jthread([this, plan, encoder, writer](std::stop_token stop) {
        ProgressRelay relay(*this);
        IShareTools& tools = m_tools;
        ShareReport report = ShareRun(*encoder, *writer, [&tools](const std::string& path) {
                                 return tools.spreadsheet(path);
                             }).run(plan, stop, relay);
        QMetaObject::invokeMethod(
            this,
            [this, report] {
                m_running = false;
                emit finished(report);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace tapelink
