#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <system_error>

namespace tapelink {

// TargetFolderMissing: the folder is gone or is not a folder. TargetFolderRefused: the folder takes no
// more files (no permission, read-only, full). Failed: this file only.
enum class CopyStatus { Ok, TargetFolderMissing, TargetFolderRefused, Failed, Cancelled };

// What an error of a write into the target folder (create, write, flush, rename) says about that folder.
CopyStatus targetFailure(int error);

// A copy of one file made in the folder it is meant for, under a hidden temporary name. It gets its real
// name only through publish(), so no reader ever sees a partial file; dropped before that, it removes
// its temporary file.
class TemporaryCopy {
public:
    TemporaryCopy() = default;
    TemporaryCopy(TemporaryCopy&& other) noexcept;
    TemporaryCopy& operator=(TemporaryCopy&& other) noexcept;
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    ~TemporaryCopy();

    // Copies everything from sourceFd into a new temporary file for name in folder (ending with '/'),
    // checking stop between blocks and calling onBlock with each block's size. On any status but Ok
    // nothing is left behind.
    CopyStatus copyFrom(int sourceFd, const std::string& folder, const std::string& name, std::stop_token stop,
                        const std::function<void(std::uint64_t)>& onBlock);
    // The same, also handing every block's bytes to onData as they pass (to hash the content on the way,
    // without reading the source twice).
    CopyStatus copyFrom(int sourceFd, const std::string& folder, const std::string& name, std::stop_token stop,
                        const std::function<void(std::uint64_t)>& onBlock,
                        const std::function<void(const char*, std::size_t)>& onData);

    // Waits until the copy's data is on disk.
    std::error_code flush();
    // Ends the copy's writing as flush() does, for a copy whose data a sync of its whole file system has
    // already put on disk (see FileSystemSync); the caller vouches for that sync.
    std::error_code finishSynced();

    // Moves the flushed copy to target. Without replace an existing target is never replaced and the
    // error is file_exists; with replace the old file is swapped for the complete copy in one step.
    std::error_code publish(const std::string& target, bool replace);

    // Removes the temporary file now.
    void discard();

    // Why the last copyFrom() failed (the errno of the call that failed); empty after a success.
    std::error_code lastError() const { return m_error; }

    bool holdsFile() const { return !m_path.empty(); }
    // The folder the copy is made in, open since before the copy's first byte was written.
    int folderFd() const { return m_folderFd; }
    const std::string& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }

private:
    bool createIn(const std::string& folder, const std::string& name, int& error);
    void forgetFile();
    std::error_code finish(std::error_code error);
    CopyStatus copyBlocks(int sourceFd, std::stop_token stop, const std::function<void(std::uint64_t)>& onBlock,
                          const std::function<void(const char*, std::size_t)>& onData);

    int m_fd = -1;
    // The folder stays open so that a copy whose folder was moved or renamed meanwhile is still removed
    // from it, never left behind as a partial file.
    int m_folderFd = -1;
    int m_lockFd = -1;   // after flush(): keeps the lock that tells a live copy from an abandoned one
    std::string m_name;  // the temporary file's name in that folder
    std::string m_path;
    std::uint64_t m_size = 0;
    std::error_code m_error;
};

}  // namespace tapelink
