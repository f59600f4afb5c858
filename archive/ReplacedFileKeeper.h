#pragma once

#include <string>

#include "phone/IUploadLedger.h"

namespace tapelink {

// What became of a file of the archive about to be replaced.
struct KeptAside {
    ReplaceVerdict verdict = ReplaceVerdict::Keep;
    std::string asideName;  // Replace: its name under .tapelink/replaced/ (empty when it was gone already)
    std::string failure;    // Keep: why, in Chinese, naming the file
};

// Before fileName of the archive folder is replaced by content hashing to sha256: Identical when it
// holds that content already; else it is moved into .tapelink/replaced/ under a stamped name (Replace),
// or, where that can't be done, left as it is (Keep). Needs no catalogue.
KeptAside keepAsideBeforeReplace(const std::string& archiveFolder, const std::string& fileName,
                                 const std::string& sha256);

// A ledger that only keeps replaced files aside, for an archive whose catalogue can't be opened: an
// overwrite never depends on the catalogue to keep the old file.
class ReplacedFileKeeper : public IUploadLedger {
public:
    explicit ReplacedFileKeeper(std::string archiveFolder) : m_folder(std::move(archiveFolder)) {}

    ReplaceVerdict beforeReplace(const std::string& fileName, const std::string& sha256) override {
        return keepAsideBeforeReplace(m_folder, fileName, sha256).verdict;
    }
    void recordCopies(const std::vector<PlacedCopy>&) override {}

private:
    std::string m_folder;
};

}  // namespace tapelink
