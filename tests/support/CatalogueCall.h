#pragma once

#include <cstdint>
#include <string>

#include "catalogue/CatalogueRecord.h"

namespace tapelink::test {

// A catalogued call as an upload records it: the kind is the name's third letter.
inline CatalogueRecord catalogueCall(const std::string& name, int direction, const std::string& number,
                                     const std::string& start, std::uint64_t size) {
    CatalogueRecord record;
    record.fileName = name;
    record.size = size;
    record.hasInfo = true;
    record.direction = direction;
    record.phoneNumber = number;
    record.startKey = start;
    record.kind = name.substr(2, 1);
    record.archivedBy = "upload";
    return record;
}

}  // namespace tapelink::test
