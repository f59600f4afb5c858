#include "archive/ArchiveLayout.h"

#include "recording/RecordingEntry.h"

namespace tapelink {

std::string catalogueFolderOf(const std::string& archiveFolder) {
    return withTrailingSlash(archiveFolder) + kArchiveOwnFolder + "/";
}

std::string replacedFolderOf(const std::string& archiveFolder) {
    return catalogueFolderOf(archiveFolder) + "replaced/";
}

}  // namespace tapelink
