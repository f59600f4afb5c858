#include "platform/PgConnection.h"

#include <cstring>

namespace tapelink {

long PgResult::affected() const {
    if (!m_result) return 0;
    const char* count = PQcmdTuples(m_result.get());
    return count == nullptr || *count == '\0' ? 0 : std::strtol(count, nullptr, 10);
}

std::string PgResult::text(int row, int column) const {
    const char* value = PQgetvalue(m_result.get(), row, column);
    return std::string(value, static_cast<std::size_t>(PQgetlength(m_result.get(), row, column)));
}

PgConnection::PgConnection(const std::string& settings) {
    // A bare word is a service name of pg_service.conf; anything else (a URI, key=value) goes as it is.
    const bool service = !settings.empty() && settings.find_first_of("=:/ ") == std::string::npos;
    const std::string conninfo = service ? "service=" + settings : settings;
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
    if (parsed == nullptr) {
        m_lastError = parseError != nullptr ? parseError : "";
        PQfreemem(parseError);
        m_status = TeamStatus::Failed;
        return;
    }
    PQconninfoFree(parsed);
    m_connection.reset(PQconnectdb(conninfo.c_str()));
    if (PQstatus(m_connection.get()) != CONNECTION_OK) {
        m_lastError = PQerrorMessage(m_connection.get());
        m_status = TeamStatus::ConnectionLost;
        return;
    }
    m_status = TeamStatus::Ok;
    // The server's notices ("already exists, skipping") are no news to a user.
    PQsetNoticeProcessor(
        m_connection.get(), [](void*, const char*) {}, nullptr);
    // The tables live in their own schema; nothing of the person's own is looked up first. The statements are
    // short lookups: compiling one (JIT) takes longer than running it.
    if (!exec("SET search_path TO tapelink, pg_catalog; SET jit TO off").ok()) m_status = TeamStatus::ConnectionLost;
}

TeamStatus PgConnection::statusOf(PGresult* result) {
    const ExecStatusType type = result == nullptr ? PGRES_FATAL_ERROR : PQresultStatus(result);
    if (type == PGRES_COMMAND_OK || type == PGRES_TUPLES_OK) return TeamStatus::Ok;
    m_lastError = PQerrorMessage(m_connection.get());
    if (PQstatus(m_connection.get()) != CONNECTION_OK) return TeamStatus::ConnectionLost;
    const char* state = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string sqlState = state == nullptr ? "" : state;
    // 42501: no privilege, or a row the security policies do not let in.
    if (sqlState == "42501") return TeamStatus::Refused;
    // Class 08 (connection), and the server shutting down or starting up (57P01-57P03).
    if (sqlState.rfind("08", 0) == 0 || sqlState.rfind("57P0", 0) == 0) return TeamStatus::ConnectionLost;
    return TeamStatus::Failed;
}

PgResult PgConnection::exec(const std::string& sql, const std::vector<PgParam>& params) {
    if (!m_connection || PQstatus(m_connection.get()) != CONNECTION_OK) {
        return PgResult(nullptr, m_connection ? TeamStatus::ConnectionLost : TeamStatus::Failed);
    }
    // Without parameters a text may hold several statements (a schema step).
    if (params.empty()) return adopt(PQexec(m_connection.get(), sql.c_str()));
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const PgParam& param : params) {
        values.push_back(param.value.c_str());
        lengths.push_back(static_cast<int>(param.value.size()));
        formats.push_back(param.binary ? 1 : 0);
    }
    return adopt(PQexecParams(m_connection.get(), sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                              lengths.data(), formats.data(), 0));
}

void PgConnection::rollback() {
    if (m_connection && PQstatus(m_connection.get()) == CONNECTION_OK) PQclear(PQexec(m_connection.get(), "ROLLBACK"));
}

}  // namespace tapelink
