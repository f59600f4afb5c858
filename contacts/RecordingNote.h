#pragma once

#include <string>
#include <vector>

namespace tapelink {

// The words a user keeps with one archived recording.
struct RecordingNote {
    std::string text;               // up to kMaxNoteCharacters characters
    std::vector<std::string> tags;  // short words, each once

    bool empty() const { return text.empty() && tags.empty(); }
    bool operator==(const RecordingNote&) const = default;
};

inline constexpr int kMaxNoteCharacters = 2000;

}  // namespace tapelink
