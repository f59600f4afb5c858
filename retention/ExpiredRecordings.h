#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "retention/RetentionPlan.h"

namespace tapelink {

// How one step over the expired recordings went.
struct ExpiryOutcome {
    std::vector<std::string> done;    // file names moved, restored or deleted
    std::vector<std::string> failed;  // file names left as they were
    std::string failure;              // the first reason, in Chinese; empty when all went well
    std::uint64_t bytes = 0;          // of done
};

// The recordings the retention rule moved to .tapelink/expired/ of one archive folder. The catalogue is
// always written before the file moves, and a row marked expired whose file is still in the archive counts
// as not moved, so a step cut off at any moment leaves every recording in one of the two places, known.
// The caller holds the archive's write lock.
class ExpiredRecordings {
public:
    ExpiredRecordings(IArchiveCatalogue& catalogue, std::string archiveFolder);

    // Moves the candidates out of the archive (a rename inside the same volume, never a copy).
    ExpiryOutcome expire(const std::vector<ExpiryCandidate>& candidates, std::int64_t now);
    // Rows marked expired, oldest expiry first.
    CatalogueStatus list(std::vector<CatalogueRecord>& out);
    // Puts the named expired recordings back into the archive, never over a file of the same name.
    ExpiryOutcome restore(const std::vector<std::string>& fileNames);
    // Deletes for good the recordings expired at least olderThanDays days before now (0: all of them).
    ExpiryOutcome purge(int olderThanDays, std::int64_t now);

private:
    ExpiryOutcome failAll(const std::vector<std::string>& names, const std::string& failure) const;

    IArchiveCatalogue& m_catalogue;
    std::string m_folder;
};

}  // namespace tapelink
