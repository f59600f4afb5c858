#pragma once

#include <string>

namespace tapelink {

// Answers one question: where, if anywhere, is the telephone's drive mounted?
class IDeviceLocator {
public:
    virtual ~IDeviceLocator() = default;
    // The drive root with its trailing '/', or the empty string when no telephone is attached.
    // Never reports an error in any other way.
    virtual std::string FindPhoneDrive() const = 0;
    // The USB serial number of the disk behind a drive root FindPhoneDrive gave; empty when unknown.
    virtual std::string phoneSerial(const std::string& driveRoot) const {
        (void)driveRoot;
        return {};
    }
};

}  // namespace tapelink
