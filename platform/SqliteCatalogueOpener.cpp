#include "platform/SqliteCatalogueOpener.h"

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
#include "platform/SqliteArchiveCatalogue.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

using sqlite::runToEnd;
using sqlite::Statement;
using sqlite::statusOf;

// What a team's server confirmed holding, by desk and content: kept apart from the rows, since a desk's
// confirmation outlives a row set aside or rebuilt.
constexpr const char* teamConfirmedStep() {
    return R"sql(
    CREATE TABLE team_confirmed(
        desk TEXT NOT NULL,
        sha256 TEXT NOT NULL,
        confirmed_at INTEGER NOT NULL,
        PRIMARY KEY(desk, sha256)) WITHOUT ROWID;
    )sql";
}

// A recording converted to a smaller file keeps its row: the row gains that file's name and digest.
constexpr const char* compactFilesStep() {
    return R"sql(
    ALTER TABLE recordings ADD COLUMN compact_name TEXT NOT NULL DEFAULT '';
    ALTER TABLE recordings ADD COLUMN compact_sha256 TEXT NOT NULL DEFAULT '';
    )sql";
}

// Statistics group the recordings they count by day and by number; these partial indexes hold just those
// rows and columns in that order, so a count over a large archive reads a small index without sorting.
// Their WHERE is the statistics' own (platform/SqliteCallFigures.cpp), word for word, or SQLite won't use them.
constexpr const char* callStatisticsStep() {
    return R"sql(
    CREATE INDEX IF NOT EXISTS recordings_call_days ON recordings(substr(start_key, 1, 6), kind, direction, size, start_key)
        WHERE state IN (0, 3) AND has_info <> 0;
    CREATE INDEX IF NOT EXISTS recordings_call_numbers ON recordings(phone_number, kind, direction, size, start_key)
        WHERE state IN (0, 3) AND has_info <> 0;
    )sql";
}

// When a row's file was moved aside by the retention rule.
constexpr const char* expiryStep() {
    return "ALTER TABLE recordings ADD COLUMN expired_at INTEGER NOT NULL DEFAULT 0;";
}

// What note each confirmed recording had when the team's server last took it, so that a note edited since
// is sent again; NULL where it is not known.
constexpr const char* teamNoteSentStep() {
    return "ALTER TABLE team_confirmed ADD COLUMN note_digest TEXT;";
}

// Step i brings a catalogue of version i to version i + 1. Steps are only ever appended.
constexpr std::array kMigrations = {
    R"sql(
    CREATE TABLE recordings(
        id INTEGER PRIMARY KEY,
        file_name TEXT NOT NULL,
        size INTEGER NOT NULL,
        mtime_ns INTEGER NOT NULL,
        sha256 TEXT NOT NULL,
        current_sha256 TEXT NOT NULL DEFAULT '',
        has_info INTEGER NOT NULL,
        direction INTEGER NOT NULL,
        phone_number TEXT NOT NULL,
        start_key TEXT NOT NULL,
        kind TEXT NOT NULL,
        archived_at INTEGER NOT NULL,
        archived_by TEXT NOT NULL,
        phone_serial TEXT NOT NULL DEFAULT '',
        state INTEGER NOT NULL,
        replaced_name TEXT NOT NULL DEFAULT '');
    CREATE UNIQUE INDEX recordings_live_name ON recordings(file_name) WHERE state <> 2;
    CREATE INDEX recordings_content ON recordings(size, start_key, phone_number, direction) WHERE state = 0;
    )sql",
    // The phonebook, and the notes and tags of recordings (kept with the recording's row).
    R"sql(
    CREATE TABLE contacts(
        id INTEGER PRIMARY KEY,
        name TEXT NOT NULL,
        company TEXT NOT NULL DEFAULT '');
    CREATE INDEX contacts_name ON contacts(name);
    CREATE TABLE contact_numbers(
        contact_id INTEGER NOT NULL REFERENCES contacts(id) ON DELETE CASCADE,
        number TEXT NOT NULL,
        digits TEXT NOT NULL);
    CREATE INDEX contact_numbers_contact ON contact_numbers(contact_id);
    CREATE INDEX contact_numbers_digits ON contact_numbers(digits);
    CREATE TABLE recording_notes(
        recording_id INTEGER PRIMARY KEY REFERENCES recordings(id) ON DELETE CASCADE,
        note TEXT NOT NULL);
    CREATE TABLE recording_tags(
        recording_id INTEGER NOT NULL REFERENCES recordings(id) ON DELETE CASCADE,
        tag TEXT NOT NULL,
        position INTEGER NOT NULL,
        PRIMARY KEY(recording_id, tag)) WITHOUT ROWID;
    CREATE INDEX recording_tags_tag ON recording_tags(tag);
    )sql",
    // Where each copy came from on the telephone, so that a recording already archived is known without
    // reading it; the digest says which content the row had then.
    R"sql(
    CREATE TABLE phone_origins(
        recording_id INTEGER NOT NULL REFERENCES recordings(id) ON DELETE CASCADE,
        phone_serial TEXT NOT NULL,
        phone_name TEXT NOT NULL,
        size INTEGER NOT NULL,
        mtime_ns INTEGER NOT NULL,
        sha256 TEXT NOT NULL);
    CREATE INDEX phone_origins_file ON phone_origins(phone_name, size, mtime_ns);
    CREATE INDEX phone_origins_recording ON phone_origins(recording_id);
    )sql",
    teamConfirmedStep(),
    compactFilesStep(),
    callStatisticsStep(),
    expiryStep(),
    teamNoteSentStep(),
};
constexpr int kCurrentVersion = static_cast<int>(kMigrations.size());

int readVersion(sqlite3* db, int& version) {
    Statement statement(db, "PRAGMA user_version");
    if (statement.code() != SQLITE_OK) return statement.code();
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return code;
    version = sqlite3_column_int(statement.get(), 0);
    return SQLITE_OK;
}

// Reads every page of the table once; damage deeper than the header shows here rather than halfway
// through a reconciliation.
int checkReadable(sqlite3* db) {
    Statement statement(db, "SELECT count(*) FROM recordings");
    if (statement.code() != SQLITE_OK) return statement.code();
    return runToEnd(statement.get());
}

// A catalogue whose version was set back by hand may have the column already.
bool hasExpiryColumn(sqlite3* db) {
    Statement probe(db, "SELECT expired_at FROM recordings LIMIT 0");
    return probe.code() == SQLITE_OK;
}

int migrate(sqlite3* db) {
    // IMMEDIATE: a second process opening the same catalogue waits here instead of migrating too.
    int code = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return code;
    int version = 0;
    code = readVersion(db, version);
    for (int step = version; code == SQLITE_OK && step < kCurrentVersion; ++step) {
        if (kMigrations[static_cast<std::size_t>(step)] == expiryStep() && hasExpiryColumn(db)) continue;
        code = sqlite3_exec(db, kMigrations[static_cast<std::size_t>(step)], nullptr, nullptr, nullptr);
    }
    if (code == SQLITE_OK && version < kCurrentVersion) {
        const std::string pragma = "PRAGMA user_version = " + std::to_string(kCurrentVersion);
        code = sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, nullptr);
    }
    if (code != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return code;
    }
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

sqlite3* openConnection(const std::string& path, int flags, int& code) {
    sqlite3* db = nullptr;
    // NOFOLLOW: a link in the catalogue's place would have the tables written into whatever it names.
    code = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    // Two programs writing one archive take turns; a writer holds the lock for one batch only.
    sqlite3_busy_timeout(db, 30000);
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    // Room for the whole catalogue of a large archive, so the opening's check and the reconciliation's
    // reading of every row read each page from the file once (memory is taken only as pages are read).
    sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    return db;
}

// Absent, or a regular file: anything else (a link, a folder, a pipe) in the catalogue's place is no
// catalogue, and opening it could write elsewhere or block.
bool regularOrAbsent(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) != 0 ? errno == ENOENT : S_ISREG(status.st_mode);
}

constexpr std::array kCompanions = {"-journal", "-wal", "-shm"};

bool companionsRegular(const std::string& path) {
    for (const char* companion : kCompanions) {
        if (!regularOrAbsent(path + companion)) return false;
    }
    return true;
}

// A companion that is no regular file was never written by SQLite: it goes aside whole, so SQLite neither
// follows it nor takes it for a journal to play back.
void setAsideStrangeCompanions(const std::string& path) {
    for (const char* companion : kCompanions) {
        const std::string name = path + companion;
        if (!regularOrAbsent(name)) ::rename(name.c_str(), freeStampedName("", name, ".unreadable-").c_str());
    }
}

// The damaged file and its journal keep their content under a new name beside it.
std::string setAside(const std::string& path) {
    const std::string aside = freeStampedName("", path, ".unreadable-");
    if (::rename(path.c_str(), aside.c_str()) != 0) return {};
    ::rename((path + "-journal").c_str(), (aside + "-journal").c_str());
    return aside;
}

// Version and readability of an open connection: Ok, NewerVersion or the damage found.
CatalogueStatus check(sqlite3* db, bool migrateIt, int& code) {
    int version = 0;
    code = readVersion(db, version);
    if (code != SQLITE_OK) return statusOf(code);
    if (version > kCurrentVersion) return CatalogueStatus::NewerVersion;
    if (migrateIt && version < kCurrentVersion) {
        code = migrate(db);
        if (code != SQLITE_OK) return statusOf(code);
    }
    // An older catalogue read without migrating still serves its recordings; what later versions added
    // reads as empty.
    if (!migrateIt && version < 1) return CatalogueStatus::Failed;
    // A reading opening serves quick lookups; damage then shows as failed lookups, and the next writing
    // opening sets the file aside.
    if (!migrateIt) return CatalogueStatus::Ok;
    code = checkReadable(db);
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

// A writer killed inside a transaction leaves a hot journal, which a reading connection cannot roll back:
// every read would fail. A writing connection rolls it back on its first read, where the folder allows.
void rollBackHotJournal(const std::string& path) {
    struct stat journal {};
    if (::lstat((path + "-journal").c_str(), &journal) != 0 || !S_ISREG(journal.st_mode) || journal.st_size == 0) {
        return;
    }
    int code = SQLITE_OK;
    sqlite3* db = openConnection(path, SQLITE_OPEN_READWRITE, code);
    if (db == nullptr) return;
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The catalogue and the two stores kept in the same file, which keep the connection alive between them.
void handOut(CatalogueOpening& opening, sqlite3* db, bool writable) {
    auto catalogue = std::make_shared<SqliteArchiveCatalogue>(db, writable);
    opening.phonebook = std::shared_ptr<IPhonebook>(catalogue, &catalogue->phonebook());
    opening.notes = std::shared_ptr<IRecordingNotes>(catalogue, &catalogue->notes());
    opening.published = std::shared_ptr<ITeamPublishLedger>(catalogue, &catalogue->published());
    opening.catalogue = std::move(catalogue);
}

CatalogueOpening openReadOnly(const std::string& path) {
    CatalogueOpening opening;
    if (!regularOrAbsent(path) || !companionsRegular(path)) {
        opening.status = CatalogueStatus::Unreadable;
        return opening;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return opening;
    rollBackHotJournal(path);
    int code = SQLITE_OK;
    sqlite3* db = openConnection(path, SQLITE_OPEN_READONLY, code);
    if (db == nullptr) {
        opening.status = CatalogueStatus::Failed;
        return opening;
    }
    opening.status = check(db, false, code);
    if (opening.status != CatalogueStatus::Ok) {
        sqlite3_close(db);
        return opening;
    }
    handOut(opening, db, false);
    opening.status = CatalogueStatus::ReadOnly;
    return opening;
}

}  // namespace

CatalogueOpening SqliteCatalogueOpener::open(const std::string& archiveFolder, CatalogueAccess access) {
    const std::string folder = catalogueFolderOf(archiveFolder);
    const std::string path = folder + kCatalogueFileName;
    // A .tapelink/ that is a link, a file or another disk's folder is never used: the catalogue would land
    // outside the archive.
    const ArchiveOwnFolder own(archiveFolder, ArchiveOwnFolder::Mode::OpenOnly);
    if (own.archiveFd() >= 0 && !own.failure().empty()) {
        CatalogueOpening refused;
        refused.status = CatalogueStatus::Failed;
        return refused;
    }
    if (access == CatalogueAccess::ReadOnly) return openReadOnly(path);

    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        CatalogueOpening opening = openReadOnly(path);
        if (opening.status == CatalogueStatus::Ok) opening.status = CatalogueStatus::ReadOnly;
        return opening;
    }
    CatalogueOpening opening;
    setAsideStrangeCompanions(path);
    if (!regularOrAbsent(path)) {
        opening.setAsidePath = setAside(path);
        if (opening.setAsidePath.empty()) {
            opening.status = CatalogueStatus::Unreadable;
            return opening;
        }
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        int code = SQLITE_OK;
        sqlite3* db = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, code);
        if (db == nullptr || sqlite3_db_readonly(db, "main") == 1) {
            sqlite3_close(db);
            opening = openReadOnly(path);
            if (opening.status == CatalogueStatus::Ok) opening.status = CatalogueStatus::ReadOnly;
            return opening;
        }
        opening.status = check(db, true, code);
        if (opening.status == CatalogueStatus::Ok) {
            handOut(opening, db, true);
            return opening;
        }
        sqlite3_close(db);
        if (opening.status != CatalogueStatus::Unreadable || attempt > 0) return opening;
        opening.setAsidePath = setAside(path);
        if (opening.setAsidePath.empty()) return opening;
    }
    return opening;
}

CatalogueOpening openCatalogueToBuild(const std::string& path) {
    CatalogueOpening opening;
    opening.status = CatalogueStatus::Failed;
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 || errno != ENOENT) return opening;
    int code = SQLITE_OK;
    sqlite3* db = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, code);
    if (db == nullptr) return opening;
    // The file is thrown away unless the build ends, and made durable as a whole before it takes the
    // catalogue's place: no journal, no syncing while it is written.
    sqlite3_exec(db, "PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    opening.status = check(db, true, code);
    if (opening.status != CatalogueStatus::Ok) {
        sqlite3_close(db);
        return opening;
    }
    handOut(opening, db, true);
    return opening;
}

std::unique_ptr<IArchiveWriteLock> SqliteCatalogueOpener::writeLock(const std::string& archiveFolder) {
    return std::make_unique<ArchiveWriteLock>(archiveFolder);
}

RebuildReport SqliteCatalogueOpener::rebuild(const std::string& archiveFolder, const HashProgress& progress) {
    return rebuildCatalogue(archiveFolder, progress);
}

}  // namespace tapelink
