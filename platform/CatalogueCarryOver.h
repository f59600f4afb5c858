#pragma once

#include <string>

#include "archive/IArchiveCatalogue.h"

namespace tapelink {

// After a rebuild: brings what only the old catalogue knew into the new one built from the folder. The
// phonebook comes over whole; notes and tags follow the recordings still there with the same content; the
// rows of recordings set aside as replaced, and when and how each recording was archived, are kept.
// All or nothing; an old catalogue from before notes and contacts gives what it has.
CatalogueStatus carryOverCatalogue(const std::string& newCataloguePath, const std::string& oldCataloguePath);

}  // namespace tapelink
