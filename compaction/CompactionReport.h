#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/CatalogueStatus.h"

namespace tapelink {

// A recording a compaction left as it was, and why (a sentence for the user).
struct CompactionFailure {
    std::string fileName;
    std::string reason;

    bool operator==(const CompactionFailure&) const = default;
};

struct CompactionReport {
    int planned = 0;                // recordings with an original to convert or to remove
    int compacted = 0;              // originals now held by a compact file and removed
    int cleaned = 0;                // temporary files of an earlier run, cut short, that were removed
    std::uint64_t bytesBefore = 0;  // of the originals compacted
    std::uint64_t bytesAfter = 0;   // of their compact files
    std::vector<CompactionFailure> failures;
    bool folderOpen = true;
    bool stopped = false;
    bool diskFull = false;                         // the run ended early: nothing more fits beside the originals
    CatalogueStatus status = CatalogueStatus::Ok;  // of reading and writing the catalogue

    std::int64_t bytesSaved() const {
        return static_cast<std::int64_t>(bytesBefore) - static_cast<std::int64_t>(bytesAfter);
    }
    bool allGood() const {
        return folderOpen && !stopped && !diskFull && status == CatalogueStatus::Ok && failures.empty();
    }
};

}  // namespace tapelink
