#include "settings/SettingsRecord.h"

#include <algorithm>
#include <cstring>

namespace tapelink {

std::string SettingsRecord::uploadFolder() const {
    const auto* field = reinterpret_cast<const char*>(bytes.data() + kUploadFolderOffset);
    return std::string(field, ::strnlen(field, kUploadFolderField - 1));
}

bool SettingsRecord::setUploadFolder(const std::string& folder) {
    if (folder.size() >= kUploadFolderField || folder.find('\0') != std::string::npos) return false;
    auto* field = bytes.data() + kUploadFolderOffset;
    std::fill(field, field + kUploadFolderField, 0);
    std::memcpy(field, folder.data(), folder.size());
    return true;
}

}  // namespace tapelink
