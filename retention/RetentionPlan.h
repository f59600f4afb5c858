#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

// The tag a user gives a recording the retention rule must never move (any tag or note keeps it too).
inline constexpr const char* kKeepTag = "保留";

// One recording the rule would move out of the archive.
struct ExpiryCandidate {
    std::string fileName;
    std::uint64_t size = 0;
    std::string startKey;  // YYMMDDhhmm
    // Copied from the telephone: its copy there may have been cleared on the strength of this one, so the
    // user must see and confirm it.
    bool fromPhone = false;
    std::string compactName;  // a compacted recording's compact file, which holds it once the original is gone
};

// What "保留 N 天" would do now, before anything moves.
struct RetentionPreview {
    std::vector<ExpiryCandidate> candidates;  // oldest call first
    std::uint64_t bytes = 0;
    int fromPhone = 0;
    int keptByNote = 0;  // old enough, but kept for a note or a tag
    CatalogueStatus status = CatalogueStatus::Ok;
};

// The start of a call (local time, YYMMDDhhmm) in seconds since the epoch; false when it is no such time.
bool callStartOf(const std::string& startKey, std::int64_t& seconds);

// Present recordings whose call started more than days ago, except those with a note or a tag.
// Recordings without a readable start are never chosen.
RetentionPreview previewRetention(IArchiveCatalogue& catalogue, IRecordingNotes& notes, int days, std::int64_t now);

}  // namespace tapelink
