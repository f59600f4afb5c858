#pragma once

#include <string>

#include "archive/IArchiveCatalogue.h"
#include "phone/RecordingEntry.h"

namespace tapelink {

// What the archive holds of one telephone recording.
enum class ArchiveMark {
    None,
    Archived,           // a recording with the same content
    SameNameDifferent,  // a different recording under the same name
};

// The title of the phone list's ninth column.
inline constexpr const char* kArchiveColumnTitle = "存档";

// The ninth cell of the phone list: "已存档", "同名不同" or empty.
const char* archiveMarkText(ArchiveMark mark);

ContentKey contentKeyOf(const RecordingEntry& entry);

// From the catalogue as it stands, without reading the telephone: the metadata block and size the scan
// read, matched against present rows whose digest was recorded.
ArchiveMark archiveMarkOf(IArchiveCatalogue& catalogue, const RecordingEntry& entry);

}  // namespace tapelink
