#include "phone/PhoneFolderScan.h"

#include "common/fs/FileErrorText.h"
#include "common/fs/FolderListing.h"
#include "recording/CallDirection.h"
#include "recording/RecordingKind.h"

namespace tapelink {

std::string moveLegacyRecording(int folderFd, const std::string& legacyName, IMessageSink& messages) {
    const std::string modernName = modernNameOf(legacyName);
    if (const auto error = renameNoReplaceAt(folderFd, legacyName, modernName)) {
        messages.showMessage(legacyRenameErrorText(error, legacyName, modernName), MessageIcon::Stop);
        return {};
    }
    return modernName;
}

int scanRecordingFolder(const RecordingFolder& folder, const AcceptName& accept, IMessageSink& messages,
                        const FoundRecording& found, std::vector<std::string>* hidden) {
    std::vector<std::string> names = folder.listWavNames(hidden);
    int moved = 0;
    for (const std::string& name : names) {
        if (!accept(name) && isLegacyRecordingName(name) && !moveLegacyRecording(folder.fd(), name, messages).empty()) {
            ++moved;
        }
    }
    if (moved > 0) names = folder.listWavNames();
    for (const std::string& name : names) {
        // A legacy name still here could not be moved, and the user has been told.
        if (!accept(name)) continue;
        const auto file = folder.readRecording(name);
        if (file && isValidDirection(file->info.direction)) found(name, *file);
    }
    return moved;
}

}  // namespace tapelink
