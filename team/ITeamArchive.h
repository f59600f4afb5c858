#pragma once

#include <set>
#include <string>
#include <vector>

#include "catalogue/CallFigures.h"
#include "contacts/RecordingNote.h"
#include "team/TeamNote.h"
#include "team/TeamPublication.h"
#include "team/TeamRecording.h"
#include "team/TeamSearchCriteria.h"
#include "team/TeamStatus.h"

namespace tapelink {

// The archive a team shares on a server. Who may see, hear, annotate and delete which desk's recordings is
// the server's to decide; a call the rules refuse answers Refused. Each call is whole or not done at all.
class ITeamArchive {
public:
    virtual ~ITeamArchive() = default;

    // Stores the recording, its bytes and its note in one step. Content the desk published before is kept
    // as it is and counts as published.
    virtual TeamStatus publish(const TeamRecording& recording, const std::string& audio, const RecordingNote& note) = 0;
    // Several in one step: all are stored (or held already) once this answers Ok, none otherwise.
    virtual TeamStatus publishBatch(const std::vector<TeamPublication>& batch) = 0;
    // The digests of the desk's recordings the server holds.
    virtual TeamStatus confirmed(const std::string& desk, std::set<std::string>& sha256s) = 0;
    // Which of these digests of the desk's recordings the server holds, asked at once.
    virtual TeamStatus held(const std::string& desk, const std::vector<std::string>& sha256s,
                            std::set<std::string>& out) = 0;
    // The recordings the person may hear that match, newest first.
    virtual TeamStatus search(const TeamSearchCriteria& criteria, std::vector<TeamRecording>& out) = 0;
    // The whole file into memory.
    virtual TeamStatus fetchAudio(const std::string& desk, const std::string& sha256, std::string& audio) = 0;
    virtual TeamStatus noteOf(const std::string& desk, const std::string& sha256, TeamNote& out) = 0;
    // Replaces the note; an empty note removes it.
    virtual TeamStatus setNote(const std::string& desk, const std::string& sha256, const RecordingNote& note) = 0;
    // The recording, its bytes and its note.
    virtual TeamStatus remove(const std::string& desk, const std::string& sha256) = 0;
    // The counts statistics are made of, over the recordings the person may hear (of one desk when desk is
    // not empty) whose start key lies in [fromKey, toKey].
    virtual TeamStatus callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                                   CallFigureRows& out) = 0;
};

}  // namespace tapelink
