#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/fs/FileDescriptor.h"
#include "common/fs/FolderListing.h"
#include "common/fs/FolderPlace.h"
#include "recording/RecordingInfo.h"

namespace tapelink {

// A recording file read through its folder: its size and its block.
struct FolderRecording {
    std::uint64_t size = 0;
    RecordingInfo info;
};

// One folder of recordings held open while it is scanned, so that each file is opened relative to
// the folder instead of walking the whole path again.
class RecordingFolder {
public:
    // A folder on the PC: links are followed, as users expect there.
    explicit RecordingFolder(const std::string& path);
    // A folder on the telephone, opened through PhoneVolume: links, special files and anything mounted over a
    // name are passed over like files that are not recordings.
    explicit RecordingFolder(FileDescriptor phoneFolder);
    ~RecordingFolder();
    RecordingFolder(const RecordingFolder&) = delete;
    RecordingFolder& operator=(const RecordingFolder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // As listWavFiles: the .wav files in the folder's own order; empty when the folder can't be read.
    std::vector<ListedFile> listWavFiles() const;

    // The names listWavFiles would give, without looking at each file: the size comes with readRecording.
    // A scan then touches each name once (open, fstat, read), which is markedly cheaper than a stat per
    // name while listing and an open per name afterwards.
    // hidden, when given, gets the names beginning with a dot (other than "." and ".."), so that the
    // folder's temporary files can be looked at without listing it again.
    std::vector<std::string> listWavNames(std::vector<std::string>* hidden = nullptr) const;
    // The size and block of a regular file of this folder; nullopt when it is not there, not a regular
    // file, or shorter than the block's end.
    std::optional<FolderRecording> readRecording(const std::string& name) const;

private:
    bool isListable(const char* name, unsigned char type) const;

    int m_fd = -1;
    bool m_followLinks = true;
    FolderPlace m_place;  // on the telephone: what each file opened in it must be on
};

}  // namespace tapelink
