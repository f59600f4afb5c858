#pragma once

#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneIndexHeader.h"

namespace tapelink::cli {

// The telephone's catalogue as the main window holds it after a scan: its rows and the in-memory header.
struct PhoneList {
    std::vector<RecordingEntry> entries;
    std::vector<std::vector<std::string>> rows;
    PhoneIndexHeader header;
    ScanResult result;
};

PhoneList scanPhoneList(const std::string& driveRoot, IMessageSink& messages);

}  // namespace tapelink::cli
