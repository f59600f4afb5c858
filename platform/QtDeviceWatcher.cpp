#include "platform/QtDeviceWatcher.h"

#include <QMetaObject>

#include "phone/IDeviceChangeObserver.h"
#include "platform/MountWatcher.h"

namespace tapelink {

// Runs on the worker thread and hands each notification to the owner's thread as a queued emission of
// the signal by name, so that it is emitted there and nothing of ours is captured in the posted event.
// Queued emissions are dropped if the owner is destroyed first.
class QtDeviceWatcher::Forwarder : public IDeviceChangeObserver {
public:
    explicit Forwarder(QtDeviceWatcher* owner) : m_owner(owner) {}

    void deviceArrived() override { QMetaObject::invokeMethod(m_owner, "deviceArrived", Qt::QueuedConnection); }
    void deviceRemoved() override { QMetaObject::invokeMethod(m_owner, "deviceRemoved", Qt::QueuedConnection); }

private:
    QtDeviceWatcher* m_owner;
};

QtDeviceWatcher::QtDeviceWatcher(const std::string& folder, QObject* parent, const std::string& mountInfo)
    : QObject(parent),
      m_watcher(std::make_unique<MountWatcher>(folder, mountInfo)),
      m_forwarder(std::make_unique<Forwarder>(this)) {}

QtDeviceWatcher::~QtDeviceWatcher() {
    stop();
}

bool QtDeviceWatcher::start() {
    if (m_worker.joinable()) return true;
    if (!m_watcher->open()) return false;
    m_worker = std::jthread([this](std::stop_token stop) { m_watcher->run(stop, *m_forwarder); });
    return true;
}

void QtDeviceWatcher::stop() {
    if (!m_worker.joinable()) return;
    m_worker.request_stop();
    m_worker.join();
}

}  // namespace tapelink
