#pragma once

#include <string>

#include "phone/PhoneIndexFile.h"
#include "phone/PhoneIndexHeader.h"

namespace tapelink {

// The telephone's volume: system/phone.bin, voice/ and RECYCLE/ under the drive root.
// The folders and the index file belong to the telephone; nothing here creates them.
class PhoneStore {
public:
    // driveRoot ends with '/', as the device locator returns it.
    explicit PhoneStore(std::string driveRoot);

    const std::string& driveRoot() const { return m_driveRoot; }
    std::string indexPath() const { return m_driveRoot + "system/phone.bin"; }
    std::string voiceFolder() const { return m_driveRoot + "voice/"; }
    std::string recycleFolder() const { return m_driveRoot + "RECYCLE/"; }

    // readIndexHeader and writeIndexHeader on the volume as it is mounted now.
    IndexReadResult readHeader(PhoneIndexHeader& header) const;
    bool writeHeader(const PhoneIndexHeader& header) const;

private:
    std::string m_driveRoot;
};

}  // namespace tapelink
