#pragma once

#include <set>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "recording/RecordingEntry.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// Which of the digests the archive recorded for these telephone recordings the desk's server holds, before
// the telephone is cleared: the server is asked about them alone, in one question, rather than for the
// desk's whole archive.
TeamStatus teamHeldRecordings(ITeamArchive& server, const std::string& desk, IArchiveCatalogue& catalogue,
                              const std::vector<RecordingEntry>& entries, std::set<std::string>& out);

}  // namespace tapelink
