#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/CatalogueSession.h"
#include "contacts/RecordingNote.h"
#include "team/ITeamArchive.h"
#include "team/TeamPublisher.h"

namespace tapelink {

// What the ledger keeps of a note sent to the server: a digest of its text and tags.
std::string noteDigest(const RecordingNote& note);

// A confirmed recording's note that changed since the server took it.
struct ChangedNote {
    std::string sha256;
    std::string fileName;  // of the first present copy: the one its recording was published with
    RecordingNote note;
    std::string digest;  // noteDigest(note)
    bool known = false;  // whether the ledger knows what the server took; if not, the server is asked first
};

// The changed notes of the archive's recordings the server has confirmed, without asking the server: what
// `team status` counts. A recording without a note here whose sending is not known is not among them.
CatalogueStatus changedNotes(const CatalogueSession& archive, const std::string& desk, std::vector<ChangedNote>& out);

// Sends the notes and tags that changed since the server took them, for the recordings it has confirmed:
// each is compared with what the ledger remembers as sent, and remembered only once the server took it.
// A note whose sending is not known (it went with the recording, or was confirmed before notes were
// remembered) is compared with the server's once; a recording without a note here is left alone until it
// gets one. A note the server's rules refuse is counted as refused, never as sent,
// and is tried again the next round.
class TeamNotePublisher {
public:
    TeamNotePublisher(CatalogueSession& archive, ITeamArchive& team, std::string desk);

    // Adds its counts to report; a broken connection ends the round and sets report.status.
    void publish(PublishReport& report, std::stop_token stop = {});

private:
    // Ok when the server holds this note now: sent (wrote) or found there.
    TeamStatus sendOne(const std::string& sha256, const RecordingNote& note, bool known, bool& wrote);

    CatalogueSession& m_archive;
    ITeamArchive& m_team;
    std::string m_desk;
};

}  // namespace tapelink
