#include "tests/team/TeamServer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/PgTeamAdmin.h"

namespace tapelink::test {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

// A server program run as the server's owner (scripts/pg-server.sh runs it as an unprivileged user under root).
bool runServerProgram(const std::string& arguments) {
    const std::string runAs = environment("TAPELINK_PG_RUNAS");
    const std::string program = environment("TAPELINK_PG_BIN") + "/pg_ctl -D '" + environment("TAPELINK_PG_DATA") +
                                "' " + arguments + " >/dev/null 2>&1";
    return std::system(((runAs.empty() ? "" : "runuser -u " + runAs + " -- ") + program).c_str()) == 0;
}

std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), got);
    ::pclose(pipe);
    return text;
}

}  // namespace

TeamServer::TeamServer() {
    if (environment("TAPELINK_PG_DATA").empty()) return;
    PgConnection admin("dbname=postgres");
    if (admin.status() != TeamStatus::Ok) return;
    std::random_device random;
    const std::string name = "tl" + std::to_string(random() % 1000000000u);
    if (admin.exec("CREATE DATABASE " + name).ok()) m_database = name;
}

TeamServer::~TeamServer() {
    if (m_database.empty()) return;
    PgConnection admin("dbname=postgres");
    admin.exec("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
    const PgResult roles = admin.exec("SELECT rolname FROM pg_roles WHERE rolname LIKE $1", {{m_database + "\\_%"}});
    for (int i = 0; i < roles.rows(); ++i) admin.exec("DROP ROLE \"" + roles.text(i, 0) + "\"");
}

std::string TeamServer::settings(const std::string& role) const {
    return "dbname=" + m_database + (role.empty() ? "" : " user=" + role);
}

bool TeamServer::makeTeam(const std::vector<std::string>& desks, std::string& error) const {
    PgConnection connection(settings());
    const PgTeamAdmin admin(connection);
    bool made = admin.init() == TeamStatus::Ok;
    for (const std::string& desk : desks) made = made && admin.addDesk(desk, role(desk)) == TeamStatus::Ok;
    if (!made) error = connection.lastError();
    return made;
}

bool TeamServer::grant(const std::string& person, const std::string& desk, const std::string& right,
                       std::string& error) const {
    PgConnection connection(settings());
    const PgTeamAdmin admin(connection);
    const bool granted =
        admin.addUser(role(person)) == TeamStatus::Ok && admin.grant(role(person), desk, right) == TeamStatus::Ok;
    if (!granted) error = connection.lastError();
    return granted;
}

std::string TeamServer::psql(const std::string& role, const std::string& sql) const {
    return output("psql -X -At -v ON_ERROR_STOP=1 -d " + m_database + " -U " + role + " -c \"" + sql + "\" 2>&1");
}

bool TeamServer::stopImmediately() {
    return runServerProgram("-m immediate stop");
}

bool TeamServer::start() {
    const std::string folder = environment("TAPELINK_PG_DIR");
    return runServerProgram("-w -l '" + folder + "/server.log' -o \"" + environment("TAPELINK_PG_OPTIONS") +
                            "\" start");
}

}  // namespace tapelink::test
