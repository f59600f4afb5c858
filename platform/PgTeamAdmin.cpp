#include "platform/PgTeamAdmin.h"

#include "platform/PgTeamSchema.h"

namespace tapelink {

namespace {

// A role name quoted for SQL, or empty when libpq can't quote it.
std::string quotedIdentifier(PGconn* connection, const std::string& name) {
    char* quoted = PQescapeIdentifier(connection, name.data(), name.size());
    if (quoted == nullptr) return {};
    std::string text(quoted);
    PQfreemem(quoted);
    return text;
}

}  // namespace

TeamStatus PgTeamAdmin::init() const {
    return migrateTeamSchema(m_connection);
}

TeamStatus PgTeamAdmin::addUser(const std::string& user) const {
    const std::string role = quotedIdentifier(m_connection.get(), user);
    if (user.empty() || role.empty()) return TeamStatus::Failed;
    const PgResult exists = m_connection.exec("SELECT 1 FROM pg_roles WHERE rolname = $1", {{user}});
    if (!exists.ok()) return exists.status();
    if (exists.rows() == 0) {
        const PgResult made = m_connection.exec("CREATE ROLE " + role + " LOGIN");
        if (!made.ok()) return made.status();
    }
    return m_connection.exec("GRANT tapelink_member TO " + role).status();
}

TeamStatus PgTeamAdmin::addDesk(const std::string& desk, const std::string& publisher) const {
    if (desk.empty()) return TeamStatus::Failed;
    const TeamStatus role = addUser(publisher);
    if (role != TeamStatus::Ok) return role;
    return m_connection
        .exec("INSERT INTO desks(name, publisher) VALUES ($1, $2) ON CONFLICT (name) DO UPDATE SET publisher = $2",
              {{desk}, {publisher}})
        .status();
}

TeamStatus PgTeamAdmin::grant(const std::string& user, const std::string& desk, const std::string& right) const {
    const PgResult granted = m_connection.exec(
        "INSERT INTO grants(person, desk, rights) SELECT $1, name, $3 FROM desks WHERE name = $2 "
        "ON CONFLICT DO NOTHING",
        {{user}, {desk}, {right}});
    if (!granted.ok()) return granted.status();
    const PgResult desks = m_connection.exec("SELECT 1 FROM desks WHERE name = $1", {{desk}});
    if (!desks.ok()) return desks.status();
    return desks.rows() == 1 ? TeamStatus::Ok : TeamStatus::Refused;
}

TeamStatus PgTeamAdmin::revoke(const std::string& user, const std::string& desk, const std::string& right) const {
    return m_connection
        .exec("DELETE FROM grants WHERE person = $1 AND desk = $2 AND rights = $3", {{user}, {desk}, {right}})
        .status();
}

}  // namespace tapelink
