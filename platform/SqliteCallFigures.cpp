#include "platform/SqliteCallFigures.h"

#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

using sqlite::Statement;
using sqlite::statusOf;

// Each recording's duration in seconds as the lists show it: whole seconds after the 512-byte header at
// 4000 bytes a second, a remainder of 20 bytes counting as one more, never below one. SQLite's integer
// division truncates as C++ does.
constexpr const char* kSeconds = "sum(max(1, (size - 512) / 4000 + ((size - 512) % 4000 >= 20)))";
// The rows statistics count, exactly as the two partial indexes of the catalogue are made, so that each
// statement reads its index alone, in the order it groups by, without sorting.
constexpr const char* kCounted =
    "FROM recordings WHERE state IN (0, 3) AND has_info <> 0 AND start_key BETWEEN ?1 AND ?2";

// The kind letter and direction of a group, as callClassOf takes them; false for a group left out.
bool classOf(const Statement& statement, int kindColumn, CallClass& out) {
    const std::string kind = statement.text(kindColumn);
    return kind.size() == 1 && callClassOf(kind[0], sqlite3_column_int(statement.get(), kindColumn + 1), out);
}

int readDays(sqlite3* db, const std::string& fromKey, const std::string& toKey, CallFigureRows& out) {
    Statement statement(db, sqliteCallFigureDaysSql().c_str());
    statement.bind(1, fromKey);
    statement.bind(2, toKey);
    CallFigureTally tally;
    const int code = statement.forEachRow([&] {
        CallClass callClass{};
        if (!classOf(statement, 1, callClass)) return;
        tally.addDay(statement.text(0), callClass, sqlite3_column_int64(statement.get(), 3),
                     sqlite3_column_int64(statement.get(), 4));
    });
    out.days = tally.rows().days;
    return code;
}

int readNumbers(sqlite3* db, const std::string& fromKey, const std::string& toKey, CallFigureRows& out) {
    Statement statement(db, sqliteCallFigureNumbersSql().c_str());
    statement.bind(1, fromKey);
    statement.bind(2, toKey);
    CallFigureTally tally;
    const int code = statement.forEachRow([&] {
        CallClass callClass{};
        if (!classOf(statement, 1, callClass)) return;
        tally.addNumber(statement.text(0), callClass, sqlite3_column_int64(statement.get(), 3),
                        sqlite3_column_int64(statement.get(), 4));
    });
    out.numbers = tally.rows().numbers;
    return code;
}

}  // namespace

std::string sqliteCallFigureDaysSql() {
    return std::string("SELECT substr(start_key, 1, 6), kind, direction, count(*), ") + kSeconds + " " + kCounted +
           " GROUP BY substr(start_key, 1, 6), kind, direction";
}

std::string sqliteCallFigureNumbersSql() {
    return std::string("SELECT phone_number, kind, direction, count(*), ") + kSeconds + " " + kCounted +
           " GROUP BY phone_number, kind, direction";
}

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
