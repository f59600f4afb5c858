#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "catalogue/CatalogueRecord.h"

namespace tapelink {

// The i-th row of a large made-up catalogue: a present recording without a file, with distinct names past
// the telephone's five digits and sizes spread over a thousand values.
inline CatalogueRecord syntheticRecord(int i, int direction, std::string phoneNumber, std::string startKey) {
    char name[32];
    std::snprintf(name, sizeof name, "VOA%05d-%d.WAV", i % 100000, i / 100000 + 2);
    CatalogueRecord record;
    record.fileName = name;
    record.size = 4000 + static_cast<std::uint64_t>(i % 977) * 4000;
    record.sha256 = std::string(64, 'a');
    record.hasInfo = true;
    record.direction = direction;
    record.phoneNumber = std::move(phoneNumber);
    record.startKey = std::move(startKey);
    record.kind = "A";
    record.archivedBy = "bench";
    return record;
}

}  // namespace tapelink
