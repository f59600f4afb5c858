#pragma once

#include <memory>
#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

// A new, empty catalogue at path, which must not exist yet, written fast and without a journal: for a
// file that only takes the catalogue's place once it is complete and made durable.
CatalogueOpening openCatalogueToBuild(const std::string& path);

// Opens catalogues in the archive folders' .tapelink/ subfolders. A link, folder or other special file in
// the catalogue's place is never followed: it is set aside as an unreadable catalogue.
class SqliteCatalogueOpener : public IArchiveCatalogueOpener {
public:
    CatalogueOpening open(const std::string& archiveFolder, CatalogueAccess access) override;
    // An flock on a file in the archive's own folder.
    std::unique_ptr<IArchiveWriteLock> writeLock(const std::string& archiveFolder) override;
    RebuildReport rebuild(const std::string& archiveFolder, const HashProgress& progress) override;
};

}  // namespace tapelink
