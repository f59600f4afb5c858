#include "app/ui/StoreFolderLocator.h"

#include <sys/stat.h>

#include "phone/RecordingEntry.h"

namespace tapelink {

std::string StoreFolderLocator::FindPhoneDrive() const {
    struct stat info {};
    if (m_folder.empty() || ::stat(m_folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return withTrailingSlash(m_folder);
}

}  // namespace tapelink
