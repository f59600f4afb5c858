#pragma once

#include <array>
#include <optional>
#include <string>

#include "phone/RecordingEntry.h"

namespace tapelink {

// The search results show the eight columns of every recording list and the full path as a ninth.
inline constexpr std::size_t kSearchColumnCount = kRecordingColumnCount + 1;
inline constexpr int kPathColumn = static_cast<int>(kRecordingColumnCount);
using SearchResultRow = std::array<std::string, kSearchColumnCount>;

struct SearchColumn {
    const char* title;
    int width;  // pixels
};

// Titles and widths of the nine columns.
const std::array<SearchColumn, kSearchColumnCount>& searchColumns();

// "通话录音", "留言录音" or "本地录音" for a VO name with a plain kind letter or any name with a new-kind
// letter; empty for everything else, legacy REC names included.
std::string searchKindText(const std::string& fileName);

// The row of a result record at the 0-based position: number and side from the block for every kind.
SearchResultRow searchResultRow(const RecordingEntry& entry, int position);

// The row for a file the user added by hand; nullopt when the file is passed over (a name that is not
// VO + 12 characters, a file that can't be read or is too short, a call recording with a damaged side).
std::optional<SearchResultRow> addedFileRow(const std::string& path, int position);

}  // namespace tapelink
