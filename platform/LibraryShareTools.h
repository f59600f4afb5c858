#pragma once

#include "sharing/IShareTools.h"

namespace tapelink {

// MP3 through libsndfile, zip files through libzip, the index through libxlsxwriter.
class LibraryShareTools : public IShareTools {
public:
    std::unique_ptr<IAudioEncoder> encoder(ShareFormat format) override;
    std::unique_ptr<IShareWriter> writer(ShareTarget target, const std::string& path) override;
    std::unique_ptr<ISpreadsheet> spreadsheet(const std::string& path) override;
};

}  // namespace tapelink
