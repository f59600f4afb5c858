#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/ArchivedRecordings.h"
#include "catalogue/IArchiveCatalogue.h"
#include "common/IMessageSink.h"
#include "phone/PhoneIndexHeader.h"
#include "phone/PhoneListDelete.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// Why a recording stayed on the telephone.
enum class KeptReason {
    NotArchived,      // no archived copy holds this content
    CopyMissing,      // the catalogue's copy is not in the archive folder (or not a regular file)
    CopyChanged,      // the copy no longer hashes to the digest recorded when it was archived
    SameFile,         // the "copy" is the telephone's own file
    PhoneUnreadable,  // the telephone's file could not be read, or was replaced while it was read
    NotOnServer,      // the rule wants the team's server to hold the content too, and it does not
};

struct KeptRecording {
    std::string fileName;
    KeptReason reason = KeptReason::NotArchived;

    bool operator==(const KeptRecording&) const = default;
};

struct ClearingReport {
    int recordings = 0;  // on the telephone's list
    int tooRecent = 0;   // younger than the rule allows: left alone, not looked at
    std::vector<std::string> deleted;
    std::vector<KeptRecording> kept;
    PhoneDeleteResult deletion;  // the index refused, or a file that could not be deleted (told already)
    bool stopped = false;        // the stop was requested: the rest was left alone

    bool failed() const { return deletion.failed || deletion.refusal != IndexWriteCheck::Ok; }
    bool operator==(const ClearingReport&) const = default;
};

// Deletes from the telephone every listed recording the rule allows whose content is in the archive at
// the moment it is deleted. For each one, right before its deletion: the telephone's file is hashed while
// held open, a catalogue row with that digest is taken, its copy is opened in the archive folder without
// following a link and hashed while held open, it must equal the recorded digest and be a different file
// from the telephone's, and the telephone's name must still be the file that was hashed. The copy stays
// open until the telephone's file is gone. Deletion and the index follow PermanentDelete. progress(done,
// total) before each recording looked at.
ClearingReport clearArchived(IArchiveCatalogue& catalogue, const std::string& archiveFolder,
                             const std::string& driveRoot, const std::vector<RecordingEntry>& entries,
                             const ClearingRule& rule, PhoneIndexHeader& header, IMessageSink& messages,
                             std::stop_token stop, const std::function<void(int, int)>& progress = {});

const char* keptReasonText(KeptReason reason);

// What a clearing did, in lines: each recording kept with its reason (at most maxListed, then how many in
// all), then the counts, and when nothing was to be done, why.
std::string clearingSummary(const ClearingReport& report, const ClearingRule& rule, std::size_t maxListed);

}  // namespace tapelink
