#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <vector>

#include "team/TeamStatus.h"

namespace tapelink {

// One statement's answer; freed when it goes.
class PgResult {
public:
    PgResult() = default;
    PgResult(PGresult* result, TeamStatus status) : m_result(result, &PQclear), m_status(status) {}

    TeamStatus status() const { return m_status; }
    bool ok() const { return m_status == TeamStatus::Ok; }
    int rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    // Rows an INSERT, UPDATE or DELETE touched.
    long affected() const;
    std::string text(int row, int column) const;
    bool isNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column) == 1; }

private:
    std::unique_ptr<PGresult, void (*)(PGresult*)> m_result{nullptr, &PQclear};
    TeamStatus m_status = TeamStatus::Failed;
};

// A parameter: text, or binary bytes (bytea) when binary.
struct PgParam {
    std::string value;
    bool binary = false;
};

// A connection to the team's server through libpq: a service name, a URI or key=value settings as libpq
// reads them, the password from ~/.pgpass. The tables are found in their own schema.
class PgConnection {
public:
    explicit PgConnection(const std::string& settings);
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Ok, or ConnectionLost when the server could not be reached (Failed: the settings don't parse).
    TeamStatus status() const { return m_status; }
    // libpq's own words for the last failure, for a log.
    std::string lastError() const { return m_lastError; }

    PgResult exec(const std::string& sql, const std::vector<PgParam>& params = {});
    // The answer of a statement sent through get() directly.
    PgResult adopt(PGresult* result) {
        const TeamStatus status = statusOf(result);
        return PgResult(result, status);
    }
    // Runs the statements in one transaction; false after a failure (rolled back).
    TeamStatus begin() { return exec("BEGIN").status(); }
    TeamStatus commit() { return exec("COMMIT").status(); }
    void rollback();

    PGconn* get() const { return m_connection.get(); }

private:
    TeamStatus statusOf(PGresult* result);

    std::unique_ptr<PGconn, void (*)(PGconn*)> m_connection{nullptr, &PQfinish};
    TeamStatus m_status = TeamStatus::Failed;
    std::string m_lastError;
};

}  // namespace tapelink
