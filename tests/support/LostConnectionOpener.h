#pragma once

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink::test {

// A catalogue reached over a connection that breaks: with lostOnOpen nothing opens; otherwise the
// stores open and every call on them then reports the lost connection. Its write lock is always held.
class LostConnectionOpener : public IArchiveCatalogueOpener {
public:
    bool lostOnOpen = false;
    int openings = 0;

    CatalogueOpening open(const std::string& archiveFolder, CatalogueAccess access) override;
    std::unique_ptr<IArchiveWriteLock> writeLock(const std::string& archiveFolder) override;
    RebuildReport rebuild(const std::string& archiveFolder, const HashProgress& progress) override;
};

}  // namespace tapelink::test
