#pragma once

#include <string>
#include <vector>

#include "statistics/CallStatistics.h"

namespace tapelink {

// Durations in whole seconds (for scripts and the workbook's sums) or as the lists show them ("1分5秒").
enum class DurationForm { Seconds, Text };

// The statistics as rows of texts, one table for the periods (closed by a "合计" row) and one for the
// numbers, the same for the command line, the window and the workbook.
std::vector<std::string> periodTitles(DurationForm form);
std::vector<std::vector<std::string>> periodRows(const CallStatistics& statistics, DurationForm form);
std::vector<std::string> numberTitles(DurationForm form);
std::vector<std::vector<std::string>> numberRows(const std::vector<NumberFigures>& numbers, DurationForm form);

}  // namespace tapelink
