#include "contacts/NoteRules.h"

#include <algorithm>

namespace tapelink {

namespace {

constexpr const char* kSpaces = " \t\r\n\f\v";

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::size_t next = at + 1;
        while (next < at + length && next < text.size() && isContinuation(static_cast<unsigned char>(text[next]))) {
            ++next;
        }
        at = next;
    }
    return count;
}

std::vector<std::string> normalizedTags(const std::vector<std::string>& tags) {
    std::vector<std::string> kept;
    for (const std::string& tag : tags) {
        const auto first = tag.find_first_not_of(kSpaces);
        if (first == std::string::npos) continue;
        std::string trimmed = tag.substr(first, tag.find_last_not_of(kSpaces) - first + 1);
        if (std::find(kept.begin(), kept.end(), trimmed) == kept.end()) kept.push_back(std::move(trimmed));
    }
    return kept;
}

NoteProblem checkNote(RecordingNote& note) {
    note.tags = normalizedTags(note.tags);
    if (characterCount(note.text) > static_cast<std::size_t>(kMaxNoteCharacters)) return NoteProblem::TooLong;
    for (const std::string& tag : note.tags) {
        // A bracket would make the export's "[tag]" form ambiguous; a space would make two words of one tag.
        if (characterCount(tag) > static_cast<std::size_t>(kMaxTagCharacters) ||
            tag.find_first_of(" \t\r\n\f\v[]") != std::string::npos) {
            return NoteProblem::BadTag;
        }
    }
    return NoteProblem::None;
}

std::string remarkText(const RecordingNote& note) {
    std::string remark = note.text;
    for (const std::string& tag : note.tags) {
        if (!remark.empty()) remark += ' ';
        remark += '[' + tag + ']';
    }
    return remark;
}

}  // namespace tapelink
