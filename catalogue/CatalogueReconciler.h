#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

struct ReconcileReport {
    int unchanged = 0;
    int added = 0;       // files found without a row, hashed and recorded
    int rehashed = 0;    // files whose size or time changed, hashed again
    int changed = 0;     // of those, files whose content is no longer what was recorded
    int missing = 0;     // rows whose file is gone, now marked missing
    int unreadable = 0;  // files that could not be read for hashing
    bool folderOpen = true;
    bool stopped = false;
    CatalogueStatus status = CatalogueStatus::Ok;  // of reading and writing the catalogue

    bool operator==(const ReconcileReport&) const = default;
};

// Brings the catalogue in line with the folder: a listing and a stat per file, hashing only files that
// are new or whose size or modification time changed. Rows of files that are gone are marked missing,
// never dropped; a file whose content no longer matches its row is marked changed, keeping the digest
// recorded when it was archived. Hashed files are written in batches, so a run cut short keeps its work.
// A read-only catalogue is compared but not written.
ReconcileReport reconcileCatalogue(IArchiveCatalogue& catalogue, const std::string& folder, std::stop_token stop,
                                   const HashProgress& progress = {});

// Records one file of the folder that has no row yet (one put there by hand), hashing only that file.
CatalogueStatus catalogueOneFile(IArchiveCatalogue& catalogue, const std::string& folder, const std::string& name);

}  // namespace tapelink
