#pragma once

#include <string>
#include <vector>

#include "contacts/RecordingNote.h"

namespace tapelink {

inline constexpr int kMaxTagCharacters = 20;

// What is wrong with a note before it is stored.
enum class NoteProblem {
    None,
    TooLong,  // the text has more than kMaxNoteCharacters characters
    BadTag,   // a tag is too long or holds a space or a bracket
};

// Characters (code points) of UTF-8 text; a byte that starts no valid sequence counts as one.
std::size_t characterCount(const std::string& text);

// Tags trimmed of surrounding spaces, empty ones dropped, each kept once in its first place.
std::vector<std::string> normalizedTags(const std::vector<std::string>& tags);

// The note as it will be stored (tags normalised) and what, if anything, keeps it from being stored.
NoteProblem checkNote(RecordingNote& note);

// The remark an export shows: the note's text, then each tag in brackets, separated by single spaces,
// e.g. "客户投诉 [重要] [回访]"; only the tags when there is no text; empty for an empty note.
std::string remarkText(const RecordingNote& note);

}  // namespace tapelink
