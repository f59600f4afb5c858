#pragma once

#include <string>

#include "platform/PgConnection.h"

namespace tapelink {

// The team's administration, as the server's administrator: the schema, the desks, one role per person and
// their rights per desk. A desk publishes through its own role, which may only add to that desk.
class PgTeamAdmin {
public:
    explicit PgTeamAdmin(PgConnection& connection) : m_connection(connection) {}

    TeamStatus init() const;
    // The desk, and its publishing role (made when missing, without a password: set one or use ~/.pgpass).
    TeamStatus addDesk(const std::string& desk, const std::string& publisher) const;
    // A person's role, made when missing, able to log in and to use the team's tables.
    TeamStatus addUser(const std::string& user) const;
    // right: hear, annotate or delete. Refused when the desk is not there.
    TeamStatus grant(const std::string& user, const std::string& desk, const std::string& right) const;
    TeamStatus revoke(const std::string& user, const std::string& desk, const std::string& right) const;

private:
    PgConnection& m_connection;
};

}  // namespace tapelink
