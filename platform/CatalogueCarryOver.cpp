#include "platform/CatalogueCarryOver.h"

#include <sqlite3.h>

#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

// The recordings of the new catalogue matched to the old one's: a live file of the same name and
// content, or a replaced file of the same name under .tapelink/replaced/.
constexpr const char* kMatchedRows = R"sql(
    CREATE TEMP TABLE matched AS
    SELECT o.id AS old_id, r.id AS new_id FROM old.recordings o JOIN main.recordings r
        ON r.sha256 = o.sha256 AND ((o.state <> 2 AND r.state <> 2 AND r.file_name = o.file_name) OR
                                    (o.state = 2 AND r.state = 2 AND r.replaced_name = o.replaced_name));
)sql";

constexpr const char* kRecordings = R"sql(
    INSERT INTO main.recordings(file_name, size, mtime_ns, sha256, current_sha256, has_info, direction,
        phone_number, start_key, kind, archived_at, archived_by, phone_serial, state, replaced_name)
    SELECT file_name, size, mtime_ns, sha256, current_sha256, has_info, direction, phone_number, start_key,
        kind, archived_at, archived_by, phone_serial, state, replaced_name
    FROM old.recordings o WHERE o.state = 2 AND NOT EXISTS
        (SELECT 1 FROM main.recordings r WHERE r.state = 2 AND r.replaced_name = o.replaced_name);
    UPDATE main.recordings SET archived_at = o.archived_at, archived_by = o.archived_by,
        phone_serial = o.phone_serial
    FROM old.recordings o
    WHERE o.state <> 2 AND main.recordings.state <> 2 AND main.recordings.file_name = o.file_name AND
        main.recordings.sha256 = o.sha256;
)sql";

constexpr const char* kUserData = R"sql(
    INSERT INTO main.contacts(id, name, company) SELECT id, name, company FROM old.contacts;
    INSERT INTO main.contact_numbers(contact_id, number, digits)
        SELECT contact_id, number, digits FROM old.contact_numbers;
    INSERT OR REPLACE INTO main.recording_notes(recording_id, note)
        SELECT m.new_id, n.note FROM old.recording_notes n JOIN matched m ON m.old_id = n.recording_id;
    INSERT OR REPLACE INTO main.recording_tags(recording_id, tag, position)
        SELECT m.new_id, t.tag, t.position FROM old.recording_tags t JOIN matched m ON m.old_id = t.recording_id;
)sql";

int exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

int oldVersion(sqlite3* db, int& version) {
    sqlite::Statement statement(db, "PRAGMA old.user_version");
    if (statement.code() != SQLITE_OK) return statement.code();
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return code;
    version = sqlite3_column_int(statement.get(), 0);
    return SQLITE_OK;
}

// The old file is only read.
int carryOver(sqlite3* db, const std::string& oldPath) {
    sqlite::Statement attach(db, "ATTACH DATABASE ?1 AS old");
    if (attach.code() != SQLITE_OK) return attach.code();
    sqlite::bindText(attach.get(), 1, oldPath);
    if (const int code = sqlite::runToEnd(attach.get()); code != SQLITE_OK) return code;
    int version = 0;
    int code = oldVersion(db, version);
    if (code == SQLITE_OK) code = exec(db, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK) return code;
    code = exec(db, kRecordings);
    if (code == SQLITE_OK && version >= 2) code = exec(db, kMatchedRows);
    if (code == SQLITE_OK && version >= 2) code = exec(db, kUserData);
    exec(db, code == SQLITE_OK ? "COMMIT" : "ROLLBACK");
    return code;
}

}  // namespace

CatalogueStatus carryOverCatalogue(const std::string& newCataloguePath, const std::string& oldCataloguePath) {
    sqlite3* db = nullptr;
    int code = sqlite3_open_v2(newCataloguePath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(db, 30000);
        code = carryOver(db, oldCataloguePath);
    }
    sqlite3_close(db);
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

}  // namespace tapelink
