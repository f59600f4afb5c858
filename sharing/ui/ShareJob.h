#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <thread>

#include "sharing/IShareTools.h"
#include "sharing/SharePlan.h"
#include "sharing/ShareReport.h"

namespace tapelink {

// Runs a share on a thread of its own for a window: progress and the end arrive as signals on the window's
// thread. cancel() stops the share at the next recording, which then leaves nothing behind; destroying the
// job cancels and waits.
class ShareJob : public QObject {
    Q_OBJECT
public:
    ShareJob(IShareTools& tools, QObject* parent = nullptr) : QObject(parent), m_tools(tools) {}
    ~ShareJob() override;

    // False while a share runs.
    bool start(const SharePlan& plan);
    bool isRunning() const { return m_running; }
    void cancel() { m_thread.request_stop(); }

signals:
    void progress(int index, int count, const QString& name);
    void finished(const tapelink::ShareReport& report);

private:
    IShareTools& m_tools;
    std::jthread m_thread;
    bool m_running = false;
};

}  // namespace tapelink

Q_DECLARE_METATYPE(tapelink::ShareReport)
