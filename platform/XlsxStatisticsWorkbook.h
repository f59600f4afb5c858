#pragma once

#include <string>

#include "statistics/CallStatistics.h"

namespace tapelink {

// The statistics as an xlsx workbook: the sheet "按时段" (the periods and their 合计 row), the sheet "按号码"
// (every number, most calls first) with counts and seconds as numbers, and the chart sheet "图表": a native
// stacked column chart of 主叫, 被叫 and 本地录音 per period that spreadsheet programs draw themselves.
// Written beside path and renamed over it once complete, so a failure leaves no partial file. False with
// error (in Chinese) on failure.
bool writeStatisticsWorkbook(const std::string& path, const CallStatistics& statistics, std::string& error);

}  // namespace tapelink
