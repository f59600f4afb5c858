#pragma once

#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "phone/IUploadLedger.h"

namespace tapelink {

// Keeps the catalogue in step with the window's uploads: records every copy, and before a file of the
// archive is replaced by different content moves it to .tapelink/replaced/ (its row kept, marked
// replaced), so that an overwrite can always be undone by hand.
class CatalogueLedger : public IUploadLedger {
public:
    // phoneSerial: the USB serial number of the telephone the copies come from, empty when unknown.
    CatalogueLedger(IArchiveCatalogue& catalogue, std::string archiveFolder, std::string command,
                    std::string phoneSerial = {});

    ReplaceVerdict beforeReplace(const std::string& fileName, const std::string& sha256) override;
    void recordCopies(const std::vector<PlacedCopy>& copies) override;

    bool catalogueFailed() const { return m_catalogueFailed; }

private:
    IArchiveCatalogue& m_catalogue;
    std::string m_folder;  // ends with '/'
    std::string m_command;
    std::string m_phoneSerial;
    bool m_catalogueFailed = false;
};

}  // namespace tapelink
