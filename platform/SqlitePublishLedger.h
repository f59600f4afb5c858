#pragma once

#include <sqlite3.h>

#include "catalogue/ITeamPublishLedger.h"

namespace tapelink {

// The team server's confirmations in the catalogue's SQLite file, on the catalogue's connection. An older
// catalogue opened for reading has none.
class SqlitePublishLedger : public ITeamPublishLedger {
public:
    // db stays owned by the catalogue and outlives this object.
    SqlitePublishLedger(sqlite3* db, bool writable) : m_db(db), m_writable(writable) {}

    CatalogueStatus confirmedDigests(const std::string& desk, std::set<std::string>& out) override;
    CatalogueStatus markConfirmed(const std::string& desk, const std::string& sha256) override;
    CatalogueStatus markAllConfirmed(const std::string& desk, const std::vector<std::string>& sha256s) override;
    CatalogueStatus sentNotes(const std::string& desk, std::map<std::string, std::string>& noteDigests) override;
    CatalogueStatus markNoteSent(const std::string& desk, const std::string& sha256,
                                 const std::string& noteDigest) override;

private:
    sqlite3* m_db;
    bool m_writable;
};

}  // namespace tapelink
