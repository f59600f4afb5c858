#include "app/ui/DeviceChangeRouter.h"

namespace tapelink {

DeviceChangeRouter::DeviceChangeRouter(Receiver mainWindow, QObject* parent) : QObject(parent) {
    m_receivers.push_back(std::move(mainWindow));
}

DeviceChangeRouter::Front DeviceChangeRouter::push(Receiver receiver) {
    m_receivers.push_back(std::move(receiver));
    return Front(*this);
}

void DeviceChangeRouter::deviceArrived() {
    // A copy: the receiver may open or close a dialog, which changes the stack.
    const Receiver front = m_receivers.back();
    front.arrived();
}

void DeviceChangeRouter::deviceRemoved() {
    const Receiver front = m_receivers.back();
    front.removed();
}

}  // namespace tapelink
