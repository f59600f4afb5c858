#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "common/Sha256.h"
#include "common/fs/FileDescriptor.h"
#include "recording/RecordingInfo.h"

namespace tapelink {

// A recording file of the archive folder as a listing and one stat show it.
struct ArchiveFile {
    std::string name;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;

    bool operator==(const ArchiveFile&) const = default;
};

// A file's digest and, when it holds one, its metadata block.
struct HashedRecording {
    HashedFile file;
    std::optional<RecordingInfo> info;
};

// The archive folder held open: its .wav files (regular files only, links left alone; hidden files,
// which include the copies still being written, left out), and their content.
class ArchiveFolder {
public:
    explicit ArchiveFolder(const std::string& path);
    // A folder already opened safely (one under .tapelink/, say), taken over.
    explicit ArchiveFolder(FileDescriptor folder);
    ~ArchiveFolder();
    ArchiveFolder(const ArchiveFolder&) = delete;
    ArchiveFolder& operator=(const ArchiveFolder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // One listing and one stat per entry, nothing read. partialCopies, when given, receives the names of
    // the hidden temporary files of copies seen on the way.
    std::vector<ArchiveFile> listFiles(std::vector<std::string>* partialCopies = nullptr) const;
    // Every regular file that is not hidden, whatever its name ends with (the files kept aside).
    std::vector<ArchiveFile> listAllFiles() const;
    std::optional<ArchiveFile> statFile(const std::string& name) const;
    // Removes the partial copies that a program killed while copying left behind (its process gone and its
    // lock free), when the listing found any. The number removed.
    int removeAbandonedCopies(const std::vector<std::string>& partialCopies) const;

    // Hashes the named files, spread over every core; progress(done) is called on the calling thread.
    // Entries of files that could not be read, or left when stop was requested, stay empty.
    std::vector<std::optional<HashedRecording>> hashFiles(const std::vector<std::string>& names, std::stop_token stop,
                                                          const std::function<void(int)>& progress) const;

private:
    std::vector<ArchiveFile> list(bool recordingsOnly, std::vector<std::string>* partialCopies) const;

    int m_fd = -1;
};

}  // namespace tapelink
