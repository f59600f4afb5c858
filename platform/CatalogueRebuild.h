#pragma once

#include <cstddef>
#include <string>

#include "catalogue/CatalogueRebuildReport.h"

namespace tapelink {

// How many catalogues kept by earlier rebuilds stay beside the current one.
inline constexpr std::size_t kOldCataloguesKept = 3;

// Builds a new catalogue from the archive folder under the archive's write lock, beside the current
// one, brings over what only the current one knew (when the current one holds no phonebook, note or tag,
// those of the newest older catalogue that has any), makes it durable and renames it over the current
// one, which is kept as catalogue.sqlite.old-<stamp>. Killed at any moment, either catalogue is in
// place whole; the leftover of a killed run is removed by the next.
RebuildReport rebuildCatalogue(const std::string& archiveFolder, const HashProgress& progress = {});

}  // namespace tapelink
