#pragma once

#include <functional>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "phone/IUploadLedger.h"

namespace tapelink {

// The telephone's USB serial number for a drive root; empty when unknown.
using PhoneSerialLookup = std::function<std::string(const std::string& driveRoot)>;

// Gives each upload job a CatalogueLedger over the upload folder's catalogue, opened for writing and
// brought in line with the folder, and holds the archive's write lock for the job, so a second program
// adding to the same archive waits and then sees every copy recorded. Where the catalogue can't be opened
// the job still keeps replaced files aside; where the lock can't be taken the job is refused.
class CatalogueLedgerSource : public IUploadLedgerSource {
public:
    CatalogueLedgerSource(IArchiveCatalogueOpener& catalogues, std::string command, PhoneSerialLookup serialOf = {});

    LedgerOpening openLedger(const std::string& driveRoot, const std::string& uploadFolder,
                             std::stop_token stop) override;

private:
    IArchiveCatalogueOpener& m_catalogues;
    std::string m_command;
    PhoneSerialLookup m_serialOf;
};

}  // namespace tapelink
