#pragma once

#include <QMetaType>
#include <QObject>
#include <thread>

#include "phone/IUploadObserver.h"
#include "phone/UploadEngine.h"
#include "phone/UploadReport.h"
#include "phone/UploadTask.h"
#include "phone/ui/WorkerMailbox.h"

namespace tapelink {

// Runs UploadEngine::WorkerMain on a thread of its own for a window. Every observer call of the worker
// is carried to the window's thread and applied there by `view` (the window: caption, progress bar,
// list texts, message boxes, the overwrite prompt); the worker waits until it has been applied.
// cancel() releases a waiting worker at once and stops a copy at its next block; no thread is ever
// killed. finished is emitted on the window's thread once the worker has ended and been joined.
class UploadJob : public QObject {
    Q_OBJECT
public:
    UploadJob(UploadEngine& engine, IUploadObserver& view, QObject* parent = nullptr);
    // Cancels a running worker and waits for it (at most one block and the flush of finished copies).
    ~UploadJob() override;

    // False when a worker exists already or no thread could be created.
    bool start(const UploadTask& task);
    // True from start() until finished is emitted: while it is true, the window refuses its commands.
    bool isRunning() const { return m_running; }
    void cancel();
    // Blocks until the worker thread has ended; finished still follows through the event loop.
    void wait();

signals:
    void finished(const tapelink::UploadReport& report);

private:
    void onWorkerEnded(const UploadReport& report);

    UploadEngine& m_engine;
    IUploadObserver& m_view;
    WorkerMailbox* m_mailbox;  // child of the job
    std::jthread m_thread;
    bool m_running = false;
};

}  // namespace tapelink

Q_DECLARE_METATYPE(tapelink::UploadReport)
