#pragma once

#include <string>

#include "platform/PgConnection.h"
#include "team/ITeamPhonebook.h"

namespace tapelink {

// The team's phonebook on a PostgreSQL server, as the connected person may use it: the server's policies
// decide who reads and who writes it, and record who wrote each entry last.
class PgTeamPhonebook : public ITeamPhonebook {
public:
    explicit PgTeamPhonebook(const std::string& settings) : m_connection(settings) {}

    // Ok once connected; ConnectionLost when the server could not be reached.
    TeamStatus status() const { return m_connection.status(); }
    PgConnection& connection() { return m_connection; }

    TeamStatus entries(std::vector<TeamContact>& out) override;
    TeamStatus mayEdit(bool& out) override;
    TeamStatus merge(const std::vector<Contact>& contacts, ContactImportCounts& counts) override;

private:
    TeamStatus write(const Contact& contact);

    PgConnection m_connection;
};

}  // namespace tapelink
