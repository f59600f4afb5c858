#pragma once

namespace tapelink {

// Receives the two device-change notifications: something was attached, something was detached.
// They say nothing about which device; the receiver asks the locator again.
class IDeviceChangeObserver {
public:
    virtual ~IDeviceChangeObserver() = default;
    virtual void deviceArrived() = 0;
    virtual void deviceRemoved() = 0;
};

}  // namespace tapelink
