#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// Which telephone recordings may be cleared from the telephone: those whose content is in the archive,
// checked now on both sides. The telephone's file and the archive's file are both hashed again and must
// both equal the digest the catalogue recorded, so an archive file changed or damaged since it was
// recorded does not count.
struct ClearingRule {
    std::optional<int> olderThanDays;  // only recordings that started more than this many days before now
    std::time_t now = 0;
    // On a team desk: the digests the team's server holds, as it said just before; null where no server
    // needs to hold a recording before it goes.
    const std::set<std::string>* serverHolds = nullptr;
};

// True when the recording started more than rule.olderThanDays days before rule.now (local time), or
// when the rule has no age.
bool oldEnough(const RecordingEntry& entry, const ClearingRule& rule);

// The file names (in list order) of the entries verified as archived. progress(done, total) after each
// entry looked at.
std::vector<std::string> verifiedArchivedNames(IArchiveCatalogue& catalogue, const std::string& archiveFolder,
                                               const std::string& driveRoot, const std::vector<RecordingEntry>& entries,
                                               const ClearingRule& rule, std::stop_token stop,
                                               const std::function<void(int, int)>& progress = {});

}  // namespace tapelink
