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

// Adds one statement's groups (a day or a number, kind, direction, count, seconds) into the tally.
int readGroups(sqlite3* db, const std::string& sql, const std::string& fromKey, const std::string& toKey,
               CallFigureTally& tally,
               void (CallFigureTally::*add)(const std::string&, CallClass, std::int64_t, std::int64_t)) {
    Statement statement(db, sql.c_str());
    statement.bind(1, fromKey);
    statement.bind(2, toKey);
    return statement.forEachRow([&] {
        CallClass callClass{};
        if (!classOf(statement, 1, callClass)) return;
        (tally.*add)(statement.text(0), callClass, sqlite3_column_int64(statement.get(), 3),
                     sqlite3_column_int64(statement.get(), 4));
    });
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
    CallFigureTally tally;
    int code = readGroups(db, sqliteCallFigureDaysSql(), fromKey, toKey, tally, &CallFigureTally::addDay);
    if (code == SQLITE_OK)
        code = readGroups(db, sqliteCallFigureNumbersSql(), fromKey, toKey, tally, &CallFigureTally::addNumber);
    const int ended = sqlite3_exec(db, code == SQLITE_OK ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) code = ended;
    if (code == SQLITE_OK) out = tally.rows();
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

}  // namespace tapelink
