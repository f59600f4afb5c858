#include "platform/SqliteArchiveCatalogue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "archive/ArchiveLayout.h"
#include "archive/ArchiveOwnFolder.h"
#include "archive/StampedName.h"
#include "platform/ArchiveWriteLock.h"
#include "platform/CatalogueRebuild.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

using sqlite::bindText;
using sqlite::runToEnd;
using sqlite::Statement;
using sqlite::statusOf;
using sqlite::text;

constexpr const char* kColumns =
    "file_name, size, mtime_ns, sha256, current_sha256, has_info, direction, phone_number, start_key, kind, "
    "archived_at, archived_by, phone_serial, state, replaced_name, compact_name, compact_sha256";
// An older catalogue read without migrating knows no compact files: its rows read as not compact.
constexpr const char* kColumnsBeforeCompaction =
    "file_name, size, mtime_ns, sha256, current_sha256, has_info, direction, phone_number, start_key, kind, "
    "archived_at, archived_by, phone_serial, state, replaced_name, '', ''";

bool hasCompactColumns(sqlite3* db) {
    const Statement probe(db, "SELECT compact_name, compact_sha256 FROM recordings LIMIT 0");
    return probe.code() == SQLITE_OK;
}

RecordState stateOf(int state) {
    return state >= 0 && state <= 3 ? static_cast<RecordState>(state) : RecordState::Changed;
}

CatalogueRecord recordFrom(sqlite3_stmt* statement) {
    CatalogueRecord record;
    record.fileName = text(statement, 0);
    record.size = static_cast<std::uint64_t>(sqlite3_column_int64(statement, 1));
    record.mtimeNs = sqlite3_column_int64(statement, 2);
    record.sha256 = text(statement, 3);
    record.currentSha256 = text(statement, 4);
    record.hasInfo = sqlite3_column_int(statement, 5) != 0;
    record.direction = sqlite3_column_int(statement, 6);
    record.phoneNumber = text(statement, 7);
    record.startKey = text(statement, 8);
    record.kind = text(statement, 9);
    record.archivedAt = sqlite3_column_int64(statement, 10);
    record.archivedBy = text(statement, 11);
    record.phoneSerial = text(statement, 12);
    record.state = stateOf(sqlite3_column_int(statement, 13));
    record.replacedName = text(statement, 14);
    record.compactName = text(statement, 15);
    record.compactSha256 = text(statement, 16);
    return record;
}

}  // namespace

SqliteArchiveCatalogue::SqliteArchiveCatalogue(sqlite3* db, bool writable)
    : m_db(db),
      m_writable(writable),
      m_selected(hasCompactColumns(db) ? kColumns : kColumnsBeforeCompaction),
      m_phonebook(db, writable),
      m_notes(std::make_unique<SqliteRecordingNotes>(db, writable)),
      m_published(db, writable) {}

SqliteArchiveCatalogue::~SqliteArchiveCatalogue() {
    m_notes.reset();
    sqlite3_finalize(m_byContent);
    sqlite3_finalize(m_byName);
    sqlite3_finalize(m_byOrigin);
    sqlite3_close(m_db);
}

sqlite3_stmt* SqliteArchiveCatalogue::prepared(sqlite3_stmt*& slot, const char* sql) {
    if (slot == nullptr && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK) {
        sqlite3_finalize(slot);
        slot = nullptr;
        return nullptr;
    }
    sqlite3_reset(slot);
    sqlite3_clear_bindings(slot);
    return slot;
}

CatalogueStatus SqliteArchiveCatalogue::liveRecords(std::vector<CatalogueRecord>& out) {
    out.clear();
    const std::string sql = "SELECT " + m_selected + " FROM recordings WHERE state <> 2";
    Statement statement(m_db, sql.c_str());
    if (statement.code() != SQLITE_OK) return statusOf(statement.code());
    int code = SQLITE_OK;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) out.push_back(recordFrom(statement.get()));
    return code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteArchiveCatalogue::liveFileStates(std::vector<CatalogueFileState>& out) {
    out.clear();
    Statement statement(m_db,
                        m_selected == kColumns
                            ? "SELECT file_name, size, mtime_ns, state, compact_name FROM recordings WHERE state <> 2"
                            : "SELECT file_name, size, mtime_ns, state, '' FROM recordings WHERE state <> 2");
    if (statement.code() != SQLITE_OK) return statusOf(statement.code());
    int code = SQLITE_OK;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        CatalogueFileState row;
        row.fileName = text(statement.get(), 0);
        row.size = static_cast<std::uint64_t>(sqlite3_column_int64(statement.get(), 1));
        row.mtimeNs = sqlite3_column_int64(statement.get(), 2);
        row.state = stateOf(sqlite3_column_int(statement.get(), 3));
        row.compactName = text(statement.get(), 4);
        out.push_back(std::move(row));
    }
    return code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteArchiveCatalogue::findByContent(const ContentKey& key, std::vector<CatalogueRecord>& out) {
    out.clear();
    const std::string sql = "SELECT " + m_selected +
                            " FROM recordings WHERE state = 0 AND size = ?1 AND start_key = ?2 AND "
                            "phone_number = ?3 AND direction = ?4";
    sqlite3_stmt* statement = prepared(m_byContent, sql.c_str());
    if (statement == nullptr) return CatalogueStatus::Failed;
    sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(key.size));
    bindText(statement, 2, key.startKey);
    bindText(statement, 3, key.phoneNumber);
    sqlite3_bind_int(statement, 4, key.direction);
    int code = SQLITE_OK;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) out.push_back(recordFrom(statement));
    sqlite3_reset(statement);
    return code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteArchiveCatalogue::findByName(const std::string& fileName, std::optional<CatalogueRecord>& out) {
    out.reset();
    const std::string sql = "SELECT " + m_selected + " FROM recordings WHERE file_name = ?1 AND state <> 2";
    sqlite3_stmt* statement = prepared(m_byName, sql.c_str());
    if (statement == nullptr) return CatalogueStatus::Failed;
    bindText(statement, 1, fileName);
    int code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
        out = recordFrom(statement);
        code = SQLITE_DONE;
    }
    sqlite3_reset(statement);
    return code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteArchiveCatalogue::findOrigin(const PhoneOrigin& origin, bool& archived) {
    archived = false;
    sqlite3_stmt* statement =
        prepared(m_byOrigin,
                 "SELECT 1 FROM phone_origins o JOIN recordings r ON r.id = o.recording_id WHERE o.phone_name = ?1 "
                 "AND o.size = ?2 AND o.mtime_ns = ?3 AND o.phone_serial = ?4 AND r.state = 0 AND r.sha256 = o.sha256 "
                 "LIMIT 1");
    if (statement == nullptr) return CatalogueStatus::Failed;
    bindText(statement, 1, origin.fileName);
    sqlite3_bind_int64(statement, 2, static_cast<sqlite3_int64>(origin.size));
    sqlite3_bind_int64(statement, 3, origin.mtimeNs);
    bindText(statement, 4, origin.phoneSerial);
    const int code = sqlite3_step(statement);
    archived = code == SQLITE_ROW;
    sqlite3_reset(statement);
    return code == SQLITE_ROW || code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteArchiveCatalogue::withSnapshot(const std::function<void()>& lookups) {
    // One read transaction: the shared lock is taken once, not around each statement.
    const int began = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    lookups();
    if (began != SQLITE_OK) return statusOf(began);
    const int ended = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return ended == SQLITE_OK ? CatalogueStatus::Ok : statusOf(ended);
}

CatalogueStatus SqliteArchiveCatalogue::apply(const CatalogueChanges& changes) {
    if (!m_writable) return CatalogueStatus::ReadOnly;
    if (changes.empty()) return CatalogueStatus::Ok;
    const int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return statusOf(code);
    const CatalogueStatus status = applyInTransaction(changes);
    if (status != CatalogueStatus::Ok) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    }
    const int committed = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (committed != SQLITE_OK) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return statusOf(committed);
    }
    return CatalogueStatus::Ok;
}

CatalogueStatus SqliteArchiveCatalogue::applyInTransaction(const CatalogueChanges& changes) {
    Statement update(m_db,
                     "UPDATE recordings SET size = ?2, mtime_ns = ?3, sha256 = ?4, current_sha256 = ?5, "
                     "has_info = ?6, direction = ?7, phone_number = ?8, start_key = ?9, kind = ?10, "
                     "archived_at = ?11, archived_by = ?12, phone_serial = ?13, state = ?14, replaced_name = ?15, "
                     "compact_name = ?16, compact_sha256 = ?17 "
                     "WHERE file_name = ?1 AND state <> 2");
    const std::string insertSql =
        std::string("INSERT INTO recordings(") + kColumns +
        ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)";
    Statement insert(m_db, insertSql.c_str());
    Statement missing(m_db, "UPDATE recordings SET state = 1 WHERE file_name = ?1 AND state IN (0, 3)");
    Statement replaced(m_db, "UPDATE recordings SET state = 2, replaced_name = ?2 WHERE file_name = ?1 AND state <> 2");
    for (const Statement* statement : {&update, &insert, &missing, &replaced}) {
        if (statement->code() != SQLITE_OK) return statusOf(statement->code());
    }

    // Replaced first: the new file of that name is an upsert of the same batch.
    for (const auto& [name, asideName] : changes.replaced) {
        sqlite3_reset(replaced.get());
        bindText(replaced.get(), 1, name);
        bindText(replaced.get(), 2, asideName);
        if (const int code = runToEnd(replaced.get()); code != SQLITE_OK) return statusOf(code);
    }
    for (const CatalogueRecord& record : changes.upserts) {
        for (sqlite3_stmt* statement : {update.get(), insert.get()}) {
            sqlite3_reset(statement);
            bindText(statement, 1, record.fileName);
            sqlite3_bind_int64(statement, 2, static_cast<sqlite3_int64>(record.size));
            sqlite3_bind_int64(statement, 3, record.mtimeNs);
            bindText(statement, 4, record.sha256);
            bindText(statement, 5, record.currentSha256);
            sqlite3_bind_int(statement, 6, record.hasInfo ? 1 : 0);
            sqlite3_bind_int(statement, 7, record.direction);
            bindText(statement, 8, record.phoneNumber);
            bindText(statement, 9, record.startKey);
            bindText(statement, 10, record.kind);
            sqlite3_bind_int64(statement, 11, record.archivedAt);
            bindText(statement, 12, record.archivedBy);
            bindText(statement, 13, record.phoneSerial);
            sqlite3_bind_int(statement, 14, static_cast<int>(record.state));
            bindText(statement, 15, record.replacedName);
            bindText(statement, 16, record.compactName);
            bindText(statement, 17, record.compactSha256);
            if (const int code = runToEnd(statement); code != SQLITE_OK) return statusOf(code);
            if (sqlite3_changes(m_db) > 0) break;  // updated: no insert
        }
    }
    for (const std::string& name : changes.missing) {
        sqlite3_reset(missing.get());
        bindText(missing.get(), 1, name);
        if (const int code = runToEnd(missing.get()); code != SQLITE_OK) return statusOf(code);
    }
    return changes.origins.empty() ? CatalogueStatus::Ok : applyOrigins(changes.origins);
}

CatalogueStatus SqliteArchiveCatalogue::applyOrigins(const std::vector<std::pair<std::string, PhoneOrigin>>& origins) {
    // One origin names one content: an older row for the same telephone file gives way.
    Statement forget(m_db,
                     "DELETE FROM phone_origins WHERE phone_name = ?2 AND size = ?3 AND mtime_ns = ?4 AND "
                     "phone_serial = ?5");
    Statement insert(m_db,
                     "INSERT INTO phone_origins(recording_id, phone_serial, phone_name, size, mtime_ns, sha256) "
                     "SELECT id, ?5, ?2, ?3, ?4, sha256 FROM recordings WHERE file_name = ?1 AND state <> 2");
    for (const Statement* statement : {&forget, &insert}) {
        if (statement->code() != SQLITE_OK) return statusOf(statement->code());
    }
    for (const auto& [fileName, origin] : origins) {
        for (sqlite3_stmt* statement : {forget.get(), insert.get()}) {
            sqlite3_reset(statement);
            bindText(statement, 1, fileName);
            bindText(statement, 2, origin.fileName);
            sqlite3_bind_int64(statement, 3, static_cast<sqlite3_int64>(origin.size));
            sqlite3_bind_int64(statement, 4, origin.mtimeNs);
            bindText(statement, 5, origin.phoneSerial);
            if (const int code = runToEnd(statement); code != SQLITE_OK) return statusOf(code);
        }
    }
    return CatalogueStatus::Ok;
}

}  // namespace tapelink
