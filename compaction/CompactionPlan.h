#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "catalogue/CatalogueRecord.h"

namespace tapelink {

// Which recordings a compaction takes.
struct CompactionChoice {
    int olderThanDays = 0;  // only calls that started at least this many days before now; 0: every call
    std::time_t now = 0;    // the present, in seconds since the epoch
};

// The start key (YYMMDDhhmm, local time) a call must be older than, for a choice; empty when every call is.
std::string compactionCutoffKey(const CompactionChoice& choice);

// The rows to compact, in name order: recordings present and verified as archived, not yet compact, or
// compact with their original still beside the compact file (a run cut short). Changed and missing rows,
// rows without a start (when a cutoff is asked) and rows whose compact name another row holds are left.
std::vector<CatalogueRecord> planCompaction(const std::vector<CatalogueRecord>& rows, const CompactionChoice& choice);

}  // namespace tapelink
