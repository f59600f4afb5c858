#pragma once

#include <string>
#include <vector>

#include "archive/CatalogueReconciler.h"

namespace tapelink {

enum class RebuildOutcome {
    Done,
    LockUnavailable,  // the archive's write lock could not be taken; nothing was changed
    NewerVersion,     // the catalogue was written by a later version; nothing was changed
    Failed,           // the new catalogue could not be made; the old one stays in place
};

struct RebuildReport {
    RebuildOutcome outcome = RebuildOutcome::Failed;
    ReconcileReport reconciled;
    std::string keptAs;                   // the previous catalogue's new name in .tapelink/, if there was one
    std::vector<std::string> setAsideAs;  // an unreadable catalogue, or a link or special file in its place
    std::string carriedFrom;              // an older catalogue the phonebook and notes were taken from
    int removedOld = 0;                   // old catalogues removed beyond the number kept
};

// How many catalogues kept by earlier rebuilds stay beside the current one.
inline constexpr std::size_t kOldCataloguesKept = 3;

// Builds a new catalogue from the archive folder under the archive's write lock, beside the current
// one, brings over what only the current one knew (when the current one holds no phonebook, note or tag,
// those of the newest older catalogue that has any), makes it durable and renames it over the current
// one, which is kept as catalogue.sqlite.old-<stamp>. Killed at any moment, either catalogue is in
// place whole; the leftover of a killed run is removed by the next.
RebuildReport rebuildCatalogue(const std::string& archiveFolder, const HashProgress& progress = {});

}  // namespace tapelink
