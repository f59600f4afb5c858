#pragma once

#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

enum class CarryOverScope {
    Everything,  // the previous catalogue of the same folder
    UserData,    // an older one: only the phonebook, and the notes and tags of recordings still there
};

// After a rebuild: brings what only the old catalogue knew into the new one built from the folder. The
// phonebook comes over whole; notes and tags follow their recordings by name. A file whose content is no
// longer what was archived keeps the archived digest and is marked changed, with its note; the rows of
// files gone stay as missing; the rows of recordings set aside as replaced, and when and how each
// recording was archived, are kept. All or nothing; an old catalogue from before notes and contacts gives
// what it has. A link or special file in the old one's place is Unreadable and left untouched; an old
// catalogue from a later version is NewerVersion.
CatalogueStatus carryOverCatalogue(const std::string& newCataloguePath, const std::string& oldCataloguePath,
                                   CarryOverScope scope = CarryOverScope::Everything);

// Whether the catalogue holds any contact, note or tag: false also where it can't be read.
bool catalogueHoldsUserData(const std::string& cataloguePath);

}  // namespace tapelink
