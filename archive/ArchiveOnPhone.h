#pragma once

#include <string>

namespace tapelink {

// Where an archive (upload) folder lies compared with the telephone's volume.
enum class ArchivePlace {
    Elsewhere,  // another file system, or outside the telephone's folder on a shared one
    OnPhone,    // the telephone's own volume: the drive root itself, a folder under it, or a link to one
};

// The one check every upload and every clearing makes before touching the folder: a copy kept on the
// telephone is no copy at all. The folder's path is followed as the user gave it (links included); a
// folder not made yet is judged by its nearest existing parent. A drive root that is the root of its file
// system claims every folder of that file system, also one mounted a second time elsewhere. Without a
// telephone (empty or unreadable drive root) nothing can lie on it.
ArchivePlace archivePlace(const std::string& driveRoot, const std::string& archiveFolder);

// The message that refuses such a folder, naming it.
std::string archiveOnPhoneText(const std::string& archiveFolder);

}  // namespace tapelink
