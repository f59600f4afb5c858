#pragma once

#include <string>

#include "contacts/IRecordingNotes.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// The note of one team recording, for the note dialog: whatever file name it is asked for, it reads and
// writes the note of (desk, sha256) through the team archive. A write the server's rules refuse is ReadOnly,
// a broken connection ConnectionLost: neither is ever Ok.
class TeamRecordingNotes : public IRecordingNotes {
public:
    TeamRecordingNotes(ITeamArchive& archive, std::string desk, std::string sha256)
        : m_archive(archive), m_desk(std::move(desk)), m_sha256(std::move(sha256)) {}

    CatalogueStatus noteOf(const std::string& fileName, RecordingNote& out) override;
    CatalogueStatus setNote(const std::string& fileName, const RecordingNote& note) override;
    // A single recording's note is searched by the server, not here.
    CatalogueStatus allNotes(std::map<std::string, RecordingNote>& out) override;
    CatalogueStatus filesWithText(const std::string& text, std::set<std::string>& out) override;

    // Who wrote the note read last and when, as the server recorded them; empty when it has none.
    const std::string& editedBy() const { return m_last.editedBy; }
    const std::string& editedAt() const { return m_last.editedAt; }

private:
    ITeamArchive& m_archive;
    std::string m_desk;
    std::string m_sha256;
    TeamNote m_last;
};

}  // namespace tapelink
