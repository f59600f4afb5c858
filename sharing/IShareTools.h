#pragma once

#include <memory>
#include <string>

#include "export/ISpreadsheet.h"
#include "sharing/IAudioEncoder.h"
#include "sharing/IShareWriter.h"
#include "sharing/SharePlan.h"

namespace tapelink {

// Makes the encoders, writers and index workbooks a share needs, so that windows and commands never name
// the libraries behind them.
class IShareTools {
public:
    virtual ~IShareTools() = default;
    virtual std::unique_ptr<IAudioEncoder> encoder(ShareFormat format) = 0;
    virtual std::unique_ptr<IShareWriter> writer(ShareTarget target, const std::string& path) = 0;
    // A workbook written to path once the export hands it over.
    virtual std::unique_ptr<ISpreadsheet> spreadsheet(const std::string& path) = 0;
};

}  // namespace tapelink
