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

// What a command that works on the telephone's list says when the index is missing or invalid.
inline constexpr const char* kNoPhoneList = "电话机的索引文件 system/phone.bin 缺失或无效，无法读取录音列表。";

// Such a telephone lists nothing, in the window as here, so nothing on it is listed, uploaded, exported or
// deleted by row: an empty answer would look like an empty telephone. False after saying so once.
bool phoneListReadable(const ScanResult& result, IMessageSink& messages);

}  // namespace tapelink::cli
