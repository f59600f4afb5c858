#pragma once

#include <string>
#include <vector>

#include "export/TextTable.h"
#include "sharing/SharePlan.h"

namespace tapelink {

// The workbook every share carries beside its recordings.
inline constexpr const char* kShareIndexName = "录音清单.xlsx";
inline constexpr const char* kShareNameTitle = "分享文件名";

// The index as a list for the exporter: the search export's columns, then each recording's name in the
// share, then (after the exported columns, as the exporter puts them) the contact's name and the remark.
TextTable shareIndexTable(const std::vector<ShareItem>& items, const std::vector<std::string>& names);

}  // namespace tapelink
