#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/CatalogueReconciler.h"
#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

struct VerifyReport {
    int checked = 0;                      // files hashed
    int expired = 0;                      // waiting in .tapelink/expired/, where they belong
    std::vector<std::string> changed;     // content differs from what was recorded
    std::vector<std::string> missing;     // recorded, but no file
    std::vector<std::string> unrecorded;  // a file the catalogue does not know
    std::vector<std::string> unreadable;  // could not be read
    bool folderOpen = true;
    bool stopped = false;
    CatalogueStatus status = CatalogueStatus::Ok;

    bool allGood() const {
        return folderOpen && !stopped && status == CatalogueStatus::Ok && changed.empty() && missing.empty() &&
               unrecorded.empty() && unreadable.empty();
    }
};

// Hashes every recording file of the folder again and compares it with the catalogue, which is not
// changed. Names come sorted.
VerifyReport verifyArchive(IArchiveCatalogue& catalogue, const std::string& folder, std::stop_token stop,
                           const HashProgress& progress = {});

}  // namespace tapelink
