#pragma once

#include <string>
#include <vector>

#include "search/SearchResultRow.h"

namespace tapelink {

enum class ShareFormat { Mp3, Wav };
enum class ShareTarget { Zip, Folder };

// One recording to share: its file and the row the lists show for it (the contact's name and the remark
// included), from which its readable name and its index line are made.
struct ShareItem {
    std::string path;
    SearchResultRow row;

    bool operator==(const ShareItem&) const = default;
};

// What a share holds and where it goes: the recordings in the order chosen, the format they are sent in, a
// zip file or a folder. Folders the share must never be written into (the archive, the telephone) are
// listed; every recording's own folder counts as one too.
struct SharePlan {
    std::vector<ShareItem> items;
    ShareFormat format = ShareFormat::Mp3;
    ShareTarget target = ShareTarget::Zip;
    std::string targetPath;
    std::vector<std::string> protectedFolders;

    bool operator==(const SharePlan&) const = default;
};

// "mp3" or "wav".
const char* shareExtension(ShareFormat format);

}  // namespace tapelink
