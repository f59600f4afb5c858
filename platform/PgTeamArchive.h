#pragma once

#include <memory>
#include <string>

#include "platform/PgConnection.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// The team archive on a PostgreSQL server, as the connected person may use it: the server's row-level
// security decides what he sees, hears, annotates and deletes.
class PgTeamArchive : public ITeamArchive {
public:
    explicit PgTeamArchive(const std::string& settings) : m_connection(settings) {}

    // Ok once connected; ConnectionLost when the server could not be reached.
    TeamStatus status() const { return m_connection.status(); }
    PgConnection& connection() { return m_connection; }

    TeamStatus publish(const TeamRecording& recording, const std::string& audio, const RecordingNote& note) override;
    TeamStatus publishBatch(const std::vector<TeamPublication>& batch) override;
    TeamStatus confirmed(const std::string& desk, std::set<std::string>& sha256s) override;
    TeamStatus held(const std::string& desk, const std::vector<std::string>& sha256s,
                    std::set<std::string>& out) override;
    TeamStatus search(const TeamSearchCriteria& criteria, std::vector<TeamRecording>& out) override;
    TeamStatus fetchAudio(const std::string& desk, const std::string& sha256, std::string& audio) override;
    TeamStatus noteOf(const std::string& desk, const std::string& sha256, TeamNote& out) override;
    TeamStatus setNote(const std::string& desk, const std::string& sha256, const RecordingNote& note) override;
    TeamStatus remove(const std::string& desk, const std::string& sha256) override;
    TeamStatus callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                           CallFigureRows& out) override;

private:
    TeamStatus inTransaction(TeamStatus status);

    PgConnection m_connection;
};

// The search's statement: $1-$2 start keys, $3 desk, $4 a part of the number, $5 a part of a contact's name
// in the team's phonebook, $6 direction, $7 kind letters, $8 a part of a note or tag, $9 the limit; an empty
// text leaves its criterion out.
const char* teamSearchSql();
// Which digests ($2, a text array) of the desk $1 the server holds.
const char* teamHeldSql();

}  // namespace tapelink
