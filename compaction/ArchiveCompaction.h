#pragma once

#include <atomic>
#include <stop_token>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "compaction/CompactionPlan.h"
#include "compaction/CompactionReport.h"
#include "sharing/IAudioEncoder.h"

namespace tapelink {

// Converts archived recordings to compact files beside them. For each one the compact file is written
// under a temporary name, flushed and renamed, read back and checked against what was encoded (the encoder
// checks the length), recorded in the catalogue, and only then is the original removed: at every moment
// either the original or a flushed compact file the catalogue knows holds the recording. The caller holds
// the archive's write lock and has reconciled the catalogue with the folder.
class ArchiveCompaction {
public:
    ArchiveCompaction(IArchiveCatalogue& catalogue, std::string folder, IAudioEncoder& encoder)
        : m_catalogue(catalogue), m_folder(std::move(folder)), m_encoder(encoder) {}

    // progress(done, total) after each recording. stop (the program ending) and stopRequest (the user's
    // 停止, when given) both end the run before the next recording.
    CompactionReport run(const CompactionChoice& choice, std::stop_token stop, const HashProgress& progress = {},
                         const std::atomic<bool>* stopRequest = nullptr);

private:
    // Converts one original; an empty text when it is now compact, else why not.
    std::string compactOne(int folderFd, const CatalogueRecord& row, CompactionReport& report);
    // Removes the original of a compact row whose compact file holds what was recorded.
    std::string finishOne(int folderFd, const CatalogueRecord& row, CompactionReport& report);

    IArchiveCatalogue& m_catalogue;
    std::string m_folder;
    IAudioEncoder& m_encoder;
};

}  // namespace tapelink
