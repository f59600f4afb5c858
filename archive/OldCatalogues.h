#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tapelink {

// The catalogues earlier rebuilds kept in the archive's own folder (catalogue.sqlite.old-<stamp>), newest
// first, by name only; their journals are not listed.
std::vector<std::string> oldCatalogueNames(const std::string& catalogueFolder);

// Removes all but the newest `keep` of them, with their journals; a folder of such a name is left alone,
// and a link is removed itself, never what it names. The number removed.
int pruneOldCatalogues(const std::string& catalogueFolder, std::size_t keep);

}  // namespace tapelink
