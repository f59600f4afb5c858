#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "recording/RecordingEntry.h"

namespace tapelink::cli {

// The fields a JSON row carries beside its display texts, in values a script computes with:
//   "file"       the file name (bytes that are not UTF-8 shown as U+FFFD, as in every cell)
//   "bytes"      the file's size
//   "seconds"    the duration the 录音时长 text shows, in seconds
//   "start"      the start as ISO 8601 local time of the telephone's clock ("2024-03-05T14:30:00"),
//                null when the recording's block holds no valid time
//   "kind"       "call", "message" or "local" (the words of --kind), null for an unknown name
//   "direction"  "caller" or "called" (the words of --side) as the row's 主/被叫 cell, sideText, shows it;
//                null where it is empty
nlohmann::ordered_json recordingFields(const RecordingEntry& entry, const std::string& sideText);

// The 主/被叫 cell of every recording list's row.
inline constexpr std::size_t kFileNameColumn = 1;
inline constexpr std::size_t kSideColumn = 4;

// The recording directly at path, read without following a link; nullopt when it is no readable recording.
std::optional<RecordingEntry> recordingAt(const std::string& path);

}  // namespace tapelink::cli
