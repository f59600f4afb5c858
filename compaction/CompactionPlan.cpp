#include "compaction/CompactionPlan.h"

#include <algorithm>
#include <unordered_set>

#include "archive/ArchiveNames.h"

namespace tapelink {

std::string compactionCutoffKey(const CompactionChoice& choice) {
    if (choice.olderThanDays <= 0) return {};
    const std::time_t cutoff = choice.now - static_cast<std::time_t>(choice.olderThanDays) * 24 * 60 * 60;
    std::tm local{};
    if (::localtime_r(&cutoff, &local) == nullptr) return {};
    char key[16] = {};
    std::strftime(key, sizeof key, "%y%m%d%H%M", &local);
    return key;
}

std::vector<CatalogueRecord> planCompaction(const std::vector<CatalogueRecord>& rows, const CompactionChoice& choice) {
    const std::string cutoff = compactionCutoffKey(choice);
    std::unordered_set<std::string> claimed;
    for (const CatalogueRecord& row : rows) {
        if (row.compacted()) claimed.insert(row.compactName);
    }
    std::vector<CatalogueRecord> planned;
    for (const CatalogueRecord& row : rows) {
        if (row.state != RecordState::Present) continue;
        if (!cutoff.empty() && (!row.hasInfo || row.startKey.size() != cutoff.size() || row.startKey >= cutoff)) {
            continue;
        }
        // Two originals that differ only in the case of their extension would share one compact name.
        if (!row.compacted() && claimed.contains(compactNameOf(row.fileName))) continue;
        planned.push_back(row);
    }
    std::sort(planned.begin(), planned.end(),
              [](const CatalogueRecord& a, const CatalogueRecord& b) { return a.fileName < b.fileName; });
    return planned;
}

}  // namespace tapelink
