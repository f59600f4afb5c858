#pragma once

#include <QObject>

#include <memory>
#include <string>
#include <thread>

#include "platform/MountInfo.h"

namespace tapelink {

class MountWatcher;

// Device-change notifications as Qt signals, emitted on the thread that owns this object (the GUI
// thread). A worker thread waits on the kernel's mount-table and folder events; nothing polls on a timer.
class QtDeviceWatcher : public QObject {
    Q_OBJECT

public:
    // folder: the store folder standing in for the telephone, watched for appearing and disappearing
    // (empty for none).
    explicit QtDeviceWatcher(const std::string& folder = {}, QObject* parent = nullptr,
                             const std::string& mountInfo = kProcMountInfo);
    ~QtDeviceWatcher() override;

    // Starts watching; every change after it returns is signalled. False when the mount table can't be watched.
    bool start();
    // Stops the worker thread; returns once it has ended. Signals already queued are still delivered.
    void stop();
    bool isRunning() const { return m_worker.joinable(); }

signals:
    void deviceArrived();
    void deviceRemoved();

private:
    class Forwarder;

    std::unique_ptr<MountWatcher> m_watcher;
    std::unique_ptr<Forwarder> m_forwarder;
    std::jthread m_worker;
};

}  // namespace tapelink
