#include "platform/CatalogueCarryOver.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

// A file whose content differs from what the old catalogue recorded as archived stays changed: the row
// keeps the archived digest and what the file hashes to now.
constexpr const char* kChangedFiles = R"sql(
    UPDATE main.recordings SET current_sha256 = main.recordings.sha256, sha256 = o.sha256, state = 3
    FROM old.recordings o
    WHERE o.state NOT IN (2, 4) AND main.recordings.state NOT IN (2, 4) AND main.recordings.file_name = o.file_name AND
        main.recordings.sha256 <> o.sha256;
)sql";

// A compacted recording keeps its compact file: the row of an original that is gone comes over whole (the
// reconciliation marks it missing if its compact file is gone too), and a new row of an original still there
// gains the compact file it had.
constexpr const char* kCompactFiles = R"sql(
    INSERT INTO main.recordings(file_name, size, mtime_ns, sha256, current_sha256, has_info, direction,
        phone_number, start_key, kind, archived_at, archived_by, phone_serial, state, replaced_name,
        compact_name, compact_sha256)
    SELECT file_name, size, mtime_ns, sha256, '', has_info, direction, phone_number, start_key,
        kind, archived_at, archived_by, phone_serial, 0, replaced_name, compact_name, compact_sha256
    FROM old.recordings o WHERE o.state = 0 AND o.compact_name <> '' AND NOT EXISTS
        (SELECT 1 FROM main.recordings r WHERE r.state <> 2 AND r.file_name = o.file_name);
    UPDATE main.recordings SET compact_name = o.compact_name, compact_sha256 = o.compact_sha256
    FROM old.recordings o
    WHERE o.state NOT IN (2, 4) AND o.compact_name <> '' AND main.recordings.state NOT IN (2, 4) AND
        main.recordings.file_name = o.file_name AND main.recordings.sha256 = o.sha256;
)sql";

bool oldHasCompactFiles(sqlite3* db) {
    const sqlite::Statement probe(db, "SELECT compact_name, compact_sha256 FROM old.recordings LIMIT 0");
    return probe.code() == SQLITE_OK;
}

// Rows of files no longer in the folder are kept as missing, so verify still tells of them.
constexpr const char* kMissingFiles = R"sql(
    INSERT INTO main.recordings(file_name, size, mtime_ns, sha256, current_sha256, has_info, direction,
        phone_number, start_key, kind, archived_at, archived_by, phone_serial, state, replaced_name)
    SELECT file_name, size, mtime_ns, sha256, '', has_info, direction, phone_number, start_key,
        kind, archived_at, archived_by, phone_serial, 1, replaced_name
    FROM old.recordings o WHERE o.state NOT IN (2, 4) AND NOT EXISTS
        (SELECT 1 FROM main.recordings r WHERE r.state <> 2 AND r.file_name = o.file_name);
)sql";

// A file found in .tapelink/expired/ that the old catalogue had expired gets its old row back: the name it
// had in the archive, the archived digest, its compact file, how it was archived and when it expired. An old
// expired row whose file is gone from there was purged. A name a live file took meanwhile stays the found
// row's.
constexpr const char* kExpiredFiles = R"sql(
    UPDATE OR IGNORE main.recordings SET file_name = o.file_name, size = o.size, mtime_ns = o.mtime_ns,
        sha256 = o.sha256, has_info = o.has_info, direction = o.direction, phone_number = o.phone_number,
        start_key = o.start_key, kind = o.kind, archived_at = o.archived_at, archived_by = o.archived_by,
        phone_serial = o.phone_serial, compact_name = o.compact_name, compact_sha256 = o.compact_sha256,
        expired_at = o.expired_at
    FROM old.recordings o
    WHERE o.state = 4 AND main.recordings.state = 4 AND main.recordings.replaced_name = o.replaced_name AND
        main.recordings.sha256 IN (o.sha256, o.compact_sha256);
)sql";

bool oldHasExpiredRows(sqlite3* db) {
    const sqlite::Statement probe(db, "SELECT expired_at FROM old.recordings LIMIT 0");
    return probe.code() == SQLITE_OK;
}

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
    WHERE o.state <> 2 AND main.recordings.state NOT IN (2, 4) AND main.recordings.file_name = o.file_name AND
        main.recordings.sha256 = o.sha256;
)sql";

// The recordings of the new catalogue matched to the old one's: a live file of the same name and
// content (changed files carry the archived digest by now), or a replaced file of the same name under
// .tapelink/replaced/.
constexpr const char* kMatchedRows = R"sql(
    CREATE TEMP TABLE matched AS
    SELECT o.id AS old_id, r.id AS new_id FROM old.recordings o JOIN main.recordings r
        ON r.sha256 = o.sha256 AND ((o.state <> 2 AND r.state NOT IN (2, 4) AND r.file_name = o.file_name) OR
                                    (o.state IN (2, 4) AND r.state = o.state AND r.replaced_name = o.replaced_name));
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

int versionOf(sqlite3* db, const char* pragma, int& version) {
    sqlite::Statement statement(db, pragma);
    if (statement.code() != SQLITE_OK) return statement.code();
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return code;
    version = sqlite3_column_int(statement.get(), 0);
    return SQLITE_OK;
}

bool regularFile(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

int carryRows(sqlite3* db, int version, CarryOverScope scope) {
    int code = SQLITE_OK;
    if (scope == CarryOverScope::Everything && oldHasCompactFiles(db)) code = exec(db, kCompactFiles);
    if (code == SQLITE_OK && scope == CarryOverScope::Everything && oldHasExpiredRows(db)) {
        code = exec(db, kExpiredFiles);
    }
    if (scope == CarryOverScope::Everything) {
        for (const char* sql : {kChangedFiles, kMissingFiles, kRecordings}) {
            if (code == SQLITE_OK) code = exec(db, sql);
        }
    }
    if (code == SQLITE_OK && version >= 2) code = exec(db, kMatchedRows);
    if (code == SQLITE_OK && version >= 2) code = exec(db, kUserData);
    return code;
}

// The old file is only read (SQLite may play back its hot journal).
CatalogueStatus carryOver(sqlite3* db, const std::string& oldPath, CarryOverScope scope) {
    sqlite::Statement attach(db, "ATTACH DATABASE ?1 AS old");
    if (attach.code() != SQLITE_OK) return sqlite::statusOf(attach.code());
    sqlite::bindText(attach.get(), 1, oldPath);
    if (const int code = sqlite::runToEnd(attach.get()); code != SQLITE_OK) return sqlite::statusOf(code);
    int version = 0;
    int newVersion = 0;
    int code = versionOf(db, "PRAGMA old.user_version", version);
    if (code == SQLITE_OK) code = versionOf(db, "PRAGMA main.user_version", newVersion);
    if (code != SQLITE_OK) return sqlite::statusOf(code);
    if (version > newVersion) return CatalogueStatus::NewerVersion;
    if (version < 1) return CatalogueStatus::Ok;  // made but never written: nothing to carry
    code = exec(db, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK) return sqlite::statusOf(code);
    code = carryRows(db, version, scope);
    if (code == SQLITE_OK) code = exec(db, "COMMIT");
    if (code != SQLITE_OK) exec(db, "ROLLBACK");
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

}  // namespace

CatalogueStatus carryOverCatalogue(const std::string& newCataloguePath, const std::string& oldCataloguePath,
                                   CarryOverScope scope) {
    // The attached file is opened with the connection's flags: it is not followed either.
    if (!regularFile(oldCataloguePath)) return CatalogueStatus::Unreadable;
    sqlite3* db = nullptr;
    int code = sqlite3_open_v2(newCataloguePath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    CatalogueStatus status = sqlite::statusOf(code);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(db, 30000);
        status = carryOver(db, oldCataloguePath, scope);
    }
    sqlite3_close(db);
    return status;
}

bool catalogueHoldsUserData(const std::string& cataloguePath) {
    if (!regularFile(cataloguePath)) return false;
    sqlite3* db = nullptr;
    bool holds = false;
    if (sqlite3_open_v2(cataloguePath.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) ==
        SQLITE_OK) {
        sqlite::Statement query(db,
                                "SELECT EXISTS(SELECT 1 FROM contacts) OR EXISTS(SELECT 1 FROM recording_notes) OR "
                                "EXISTS(SELECT 1 FROM recording_tags)");
        query.forEachRow([&] { holds = sqlite3_column_int(query.get(), 0) != 0; });
    }
    sqlite3_close(db);
    return holds;
}

}  // namespace tapelink
