#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tapelink {

// The catalogues earlier rebuilds kept in the archive's own folder (catalogue.sqlite.old-<stamp>), newest
// first, by name only; their journals are not listed.
std::vector<std::string> oldCatalogueNames(const std::string& catalogueFolder);

// Removes all but `keep` of them, with their journals: `justKept` (the one a rebuild has just made, whatever
// the other stamps say after a clock was wrong) and the newest others. A folder of such a name is left
// alone, and a link is removed itself, never what it names. The number removed.
int pruneOldCatalogues(const std::string& catalogueFolder, std::size_t keep, const std::string& justKept);

}  // namespace tapelink
