#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/CatalogueSession.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// A batch goes to the server in one step: this many recordings, or fewer once their bytes reach this.
inline constexpr std::size_t kTeamBatchRecordings = 256;
inline constexpr std::size_t kTeamBatchBytes = 8u << 20;
// The catalogue remembers what the server committed once this many wait, and at the end of a round.
inline constexpr std::size_t kConfirmEvery = 2048;

// What one round of publishing did.
struct PublishReport {
    std::size_t published = 0;                    // newly confirmed by the server (stored now or held already)
    std::size_t unpublished = 0;                  // left for a later round
    std::size_t unreadable = 0;                   // the archived file is gone or no longer holds what was archived
    TeamStatus status = TeamStatus::Ok;           // Ok, or why the round stopped early
    CatalogueStatus local = CatalogueStatus::Ok;  // of the archive's own catalogue
    // Notes and tags edited since the server took a recording's note (TeamNotePublisher).
    std::size_t notesSent = 0;
    std::size_t notesRefused = 0;  // the server's rules refused them: the person may not annotate
    std::size_t notesUnsent = 0;   // left for a later round
};

// The present recordings of the archive whose content the desk's server has not confirmed, one per content,
// without asking the server: what `team status` lists.
CatalogueStatus unpublishedRecords(const CatalogueSession& archive, const std::string& desk,
                                   std::vector<CatalogueRecord>& out);

// Brings the team server up to date with one archive folder: every present recording the catalogue does not
// know as confirmed is read, checked against its digest and published, several in one step, and remembered
// as confirmed only once the server committed its step. A broken connection ends the round; the next one
// resumes.
class TeamPublisher {
public:
    TeamPublisher(CatalogueSession& archive, ITeamArchive& team, std::string desk);

    PublishReport publish(std::stop_token stop = {});

private:
    void publishRound(PublishReport& report, std::stop_token stop);
    // nullopt: the archived file could not be read as archived.
    std::optional<TeamPublication> readArchived(const CatalogueRecord& record, int folderFd,
                                                const std::map<std::string, RecordingNote>& notes);
    // Publishes the batch and confirms it; false when the round must end.
    bool send(std::vector<TeamPublication>& batch, PublishReport& report);
    // Remembers what the server holds (now, or once enough is waiting); false when the catalogue failed.
    bool confirm(const std::vector<std::string>& sha256s, PublishReport& report, bool now);

    CatalogueSession& m_archive;
    ITeamArchive& m_team;
    std::string m_desk;
    std::vector<std::string> m_unconfirmed;  // held by the server, not yet remembered here
};

}  // namespace tapelink
