#pragma once

#include <string>

#include "phone/IDeviceLocator.h"

namespace tapelink {

// Treats one folder as the telephone's drive while it exists, for running the window on a demo
// telephone volume.
class StoreFolderLocator : public IDeviceLocator {
public:
    explicit StoreFolderLocator(std::string folder) : m_folder(std::move(folder)) {}
    std::string FindPhoneDrive() const override;

private:
    std::string m_folder;
};

}  // namespace tapelink
