#include "platform/SqliteCallFigures.h"

#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

using sqlite::Statement;
using sqlite::statusOf;

// The rows statistics count, each with its class (as callClassOf gives it) and its duration in seconds
// (as the lists show it: whole seconds after the 512-byte header at 4000 bytes a second, a remainder of
// 20 bytes counting as one more, never below one). SQLite's integer division truncates as C++ does.
constexpr const char* kCounted = R"sql(
    SELECT start_key, phone_number,
           CASE WHEN kind IN ('A', 'I') THEN (CASE WHEN direction = 90 THEN 0 ELSE 1 END)
                WHEN kind IN ('C', 'K') THEN 2
                WHEN kind IN ('B', 'J') THEN 3 END AS class,
           max(1, (size - 512) / 4000 + ((size - 512) % 4000 >= 20)) AS seconds
    FROM recordings
    WHERE state IN (0, 3) AND has_info <> 0 AND start_key BETWEEN ?1 AND ?2
)sql";

int readDays(sqlite3* db, const std::string& fromKey, const std::string& toKey, CallFigureRows& out) {
    const std::string sql = std::string("SELECT substr(start_key, 1, 6) AS day, class, count(*), sum(seconds) FROM (") +
                            kCounted + ") WHERE class IS NOT NULL GROUP BY day, class";
    Statement statement(db, sql.c_str());
    statement.bind(1, fromKey);
    statement.bind(2, toKey);
    return statement.forEachRow([&] {
        DayCallFigures day;
        day.day = statement.text(0);
        day.callClass = static_cast<CallClass>(sqlite3_column_int(statement.get(), 1));
        day.count = sqlite3_column_int64(statement.get(), 2);
        day.seconds = sqlite3_column_int64(statement.get(), 3);
        out.days.push_back(std::move(day));
    });
}

int readNumbers(sqlite3* db, const std::string& fromKey, const std::string& toKey, CallFigureRows& out) {
    const std::string sql = std::string("SELECT phone_number, class = 0 AS outgoing, count(*), sum(seconds) FROM (") +
                            kCounted + ") WHERE class IN (0, 1, 2) GROUP BY phone_number, outgoing";
    Statement statement(db, sql.c_str());
    statement.bind(1, fromKey);
    statement.bind(2, toKey);
    return statement.forEachRow([&] {
        NumberCallFigures number;
        number.number = statement.text(0);
        number.outgoing = sqlite3_column_int(statement.get(), 1) != 0;
        number.count = sqlite3_column_int64(statement.get(), 2);
        number.seconds = sqlite3_column_int64(statement.get(), 3);
        out.numbers.push_back(std::move(number));
    });
}

}  // namespace

CatalogueStatus sqliteCallFigures(sqlite3* db, const std::string& fromKey, const std::string& toKey,
                                  CallFigureRows& out) {
    out = {};
    // One read transaction: the days and the numbers count the same rows.
    const int began = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (began != SQLITE_OK) return statusOf(began);
    int code = readDays(db, fromKey, toKey, out);
    if (code == SQLITE_OK) code = readNumbers(db, fromKey, toKey, out);
    const int ended = sqlite3_exec(db, code == SQLITE_OK ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) code = ended;
    if (code != SQLITE_OK) out = {};
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

}  // namespace tapelink
