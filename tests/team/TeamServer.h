#pragma once

#include <string>
#include <vector>

#include "platform/PgConnection.h"

namespace tapelink::test {

// A database of its own on the private server of scripts/pg-server.sh (PGHOST, PGPORT, PGUSER), with roles
// named after it, dropped at the end. available() is false when no server answers: the tests then skip.
class TeamServer {
public:
    TeamServer();
    ~TeamServer();
    TeamServer(const TeamServer&) = delete;
    TeamServer& operator=(const TeamServer&) = delete;

    bool available() const { return !m_database.empty(); }
    // libpq settings for the database as the administrator, or as role (a name made by role()).
    std::string settings(const std::string& role = {}) const;
    // A role name unique to this database.
    std::string role(const std::string& name) const { return m_database + "_" + name; }
    // psql as that role: the first column of each row, one a line.
    std::string psql(const std::string& role, const std::string& sql) const;
    // The schema, and desks whose publishing roles are named after them; the reason in error when not.
    bool makeTeam(const std::vector<std::string>& desks, std::string& error) const;
    // The person (made when new) may do right (hear, annotate, delete) at desk.
    bool grant(const std::string& person, const std::string& desk, const std::string& right, std::string& error) const;
    // Stops the server at once, as a crash would, and starts it again.
    static bool stopImmediately();
    static bool start();

private:
    std::string m_database;
};

}  // namespace tapelink::test
