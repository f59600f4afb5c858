#include "platform/SqlitePublishLedger.h"

#include <ctime>

#include "platform/SqliteStatement.h"

namespace tapelink {

using sqlite::Statement;

CatalogueStatus SqlitePublishLedger::confirmedDigests(const std::string& desk, std::set<std::string>& out) {
    out.clear();
    bool exists = false;
    const CatalogueStatus probed = sqlite::probeTable(m_db, "team_confirmed", exists);
    if (probed != CatalogueStatus::Ok || !exists) return probed;
    Statement statement(m_db, "SELECT sha256 FROM team_confirmed WHERE desk = ?");
    statement.bind(1, desk);
    const int code = statement.forEachRow([&] { out.insert(statement.text(0)); });
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

CatalogueStatus SqlitePublishLedger::markConfirmed(const std::string& desk, const std::string& sha256) {
    return markAllConfirmed(desk, {sha256});
}

CatalogueStatus SqlitePublishLedger::markAllConfirmed(const std::string& desk,
                                                      const std::vector<std::string>& sha256s) {
    if (!m_writable) return CatalogueStatus::ReadOnly;
    // One transaction for the batch: a commit each would wait for the disk once per recording.
    const int began = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (began != SQLITE_OK) return sqlite::statusOf(began);
    int code = SQLITE_OK;
    {
        Statement statement(m_db, "INSERT OR IGNORE INTO team_confirmed(desk, sha256, confirmed_at) VALUES(?, ?, ?)");
        code = statement.code();
        for (std::size_t i = 0; code == SQLITE_OK && i < sha256s.size(); ++i) {
            sqlite3_reset(statement.get());
            statement.bind(1, desk);
            statement.bind(2, sha256s[i]);
            sqlite3_bind_int64(statement.get(), 3, static_cast<sqlite3_int64>(std::time(nullptr)));
            code = statement.forEachRow([] {});
        }
    }
    if (code == SQLITE_OK) code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

CatalogueStatus SqlitePublishLedger::sentNotes(const std::string& desk,
                                               std::map<std::string, std::string>& noteDigests) {
    noteDigests.clear();
    bool exists = false;
    const CatalogueStatus probed = sqlite::probeTable(m_db, "team_confirmed", exists);
    if (probed != CatalogueStatus::Ok || !exists) return probed;
    Statement statement(m_db,
                        "SELECT sha256, note_digest FROM team_confirmed WHERE desk = ? AND note_digest IS NOT NULL");
    // An older catalogue read without migrating remembers no notes: none is known as sent.
    if (statement.code() != SQLITE_OK && !m_writable) return CatalogueStatus::Ok;
    statement.bind(1, desk);
    const int code = statement.forEachRow([&] { noteDigests.emplace(statement.text(0), statement.text(1)); });
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

CatalogueStatus SqlitePublishLedger::markNoteSent(const std::string& desk, const std::string& sha256,
                                                  const std::string& noteDigest) {
    if (!m_writable) return CatalogueStatus::ReadOnly;
    Statement statement(m_db, "UPDATE team_confirmed SET note_digest = ? WHERE desk = ? AND sha256 = ?");
    statement.bind(1, noteDigest);
    statement.bind(2, desk);
    statement.bind(3, sha256);
    const int code = statement.forEachRow([] {});
    return code == SQLITE_OK ? CatalogueStatus::Ok : sqlite::statusOf(code);
}

}  // namespace tapelink
