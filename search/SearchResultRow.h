#pragma once

#include <array>
#include <optional>
#include <string>

#include "recording/RecordingEntry.h"

namespace tapelink {

// The search results show the eight columns of every recording list and the full path as a ninth.
inline constexpr std::size_t kSearchColumnCount = kRecordingColumnCount + 1;
inline constexpr int kPathColumn = static_cast<int>(kRecordingColumnCount);
inline constexpr int kSearchNumberColumn = 3;

// The nine cells of a result row, with what the archive adds to it: the contact's name and the remark
// (note and tags), filled where an archive's phonebook and catalogue are known. The cells alone are
// what the list's columns show and what the command line prints as a row.
struct SearchResultRow : std::array<std::string, kSearchColumnCount> {
    std::string name{};
    std::string remark{};
    // For a team archive's result: the desk that published it and the recording's content key.
    std::string desk{};
    std::string sha256{};

    bool operator==(const SearchResultRow&) const = default;
};

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
