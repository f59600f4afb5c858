#pragma once

#include <string>
#include <vector>

#include "common/fs/FileDescriptor.h"
#include "sharing/IShareWriter.h"

namespace tapelink {

// Writes a share's files into a folder (made when missing, its parent must exist, and removed again when the
// share fails). Each file is written and
// flushed in a hidden staging folder inside it; commit moves them to their names without replacing anything,
// so the folder never shows a partial file and a failure takes back what this share put there.
class FolderShareWriter : public IShareWriter {
public:
    explicit FolderShareWriter(std::string folder) : m_folder(std::move(folder)) {}
    ~FolderShareWriter() override { abandon(); }
    FolderShareWriter(const FolderShareWriter&) = delete;
    FolderShareWriter& operator=(const FolderShareWriter&) = delete;

    bool begin(std::string& error) override;
    std::vector<std::string> takenNames() const override { return m_taken; }
    bool add(const std::string& name, const std::vector<std::uint8_t>& bytes, std::string& error) override;
    bool commit(std::string& error) override;
    void abandon() override;
    std::uint64_t committedSize() const override { return m_size; }

private:
    void removeStaging();

    std::string m_folder;
    FileDescriptor m_folderFd;
    FileDescriptor m_stagingFd;
    std::string m_staging;  // name inside the folder
    std::vector<std::string> m_taken;
    std::vector<std::string> m_written;
    std::uint64_t m_size = 0;
    bool m_madeFolder = false;
};

}  // namespace tapelink
