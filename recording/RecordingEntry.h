#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "recording/RecordingInfo.h"

namespace tapelink {

// One listed recording, as the folder scans fill it and the row formatters turn it into texts.
struct RecordingEntry {
    std::uint64_t size = 0;
    std::string fileName;
    int direction = 0;
    std::string phoneNumber;  // raw bytes from the metadata block
    std::string startKey;     // YYMMDDhhmm
    std::string folder;       // always ends with '/'
    std::string storedName;   // the file in folder that holds the recording when not fileName (a compact file)

    static RecordingEntry fromInfo(const std::string& folder, const std::string& fileName, std::uint64_t size,
                                   const RecordingInfo& info);

    bool operator==(const RecordingEntry&) const = default;
};

constexpr std::size_t kRecordingColumnCount = 8;
using RecordingRow = std::array<std::string, kRecordingColumnCount>;

// The eight column titles every recording list shares, in column order.
const RecordingRow& recordingColumnTitles();

// Ensures a folder path ends with exactly one trailing '/'.
std::string withTrailingSlash(std::string folder);

}  // namespace tapelink
