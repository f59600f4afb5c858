#pragma once

#include <string>

#include "phone/PhoneIndexHeader.h"

namespace tapelink {

enum class IndexReadResult { Ok, CannotOpen, TooShort, BadMagic };

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

    // Reads the first 124 bytes of the index. The file must open for reading and writing, as the
    // telephone's index is always written back in place.
    IndexReadResult readHeader(PhoneIndexHeader& header) const;

    // Writes the 124 bytes at offset 0 of the existing index: never creates or truncates it, and
    // leaves every byte after the header as it is.
    bool writeHeader(const PhoneIndexHeader& header) const;

private:
    std::string m_driveRoot;
};

}  // namespace tapelink
