#include "phone/PhoneStore.h"

#include <utility>

#include "phone/PhoneVolume.h"

namespace tapelink {

PhoneStore::PhoneStore(std::string driveRoot) : m_driveRoot(std::move(driveRoot)) {
    if (!m_driveRoot.empty() && m_driveRoot.back() != '/') m_driveRoot += '/';
}

IndexReadResult PhoneStore::readHeader(PhoneIndexHeader& header) const {
    return readIndexHeader(PhoneVolume(m_driveRoot), header);
}

bool PhoneStore::writeHeader(const PhoneIndexHeader& header) const {
    return writeIndexHeader(PhoneVolume(m_driveRoot), header) == IndexWriteCheck::Ok;
}

}  // namespace tapelink
