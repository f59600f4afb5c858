#pragma once

#include <cstdint>
#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

struct ExpiredScanReport {
    int recorded = 0;
    int skipped = 0;  // unreadable, or no name left for them: the files stay where they are
    CatalogueStatus status = CatalogueStatus::Ok;

    bool operator==(const ExpiredScanReport&) const = default;
};

// For a catalogue built anew from the folder: the files waiting in .tapelink/expired/ recorded as expired rows,
// so that they can still be restored or purged and never count as recordings the archive holds. A row takes
// the name its file had in the archive (without the ".N" a clash in expired/ added) unless a row holds that
// name already. The expiry is dated now: the second period starts again rather than ending early. Links and
// special files there are left alone, and nothing is read through a link.
ExpiredScanReport recordExpiredFiles(IArchiveCatalogue& catalogue, const std::string& archiveFolder, std::int64_t now);

}  // namespace tapelink
