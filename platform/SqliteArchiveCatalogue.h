#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "platform/SqlitePhonebook.h"
#include "platform/SqlitePublishLedger.h"
#include "platform/SqliteRecordingNotes.h"

namespace tapelink {

// The catalogue as an SQLite file, .tapelink/catalogue.sqlite in the archive folder. The schema carries
// its version in PRAGMA user_version and is brought up to date when opened for writing.
class SqliteArchiveCatalogue : public IArchiveCatalogue {
public:
    // Takes ownership of an open connection.
    SqliteArchiveCatalogue(sqlite3* db, bool writable);
    ~SqliteArchiveCatalogue() override;
    SqliteArchiveCatalogue(const SqliteArchiveCatalogue&) = delete;
    SqliteArchiveCatalogue& operator=(const SqliteArchiveCatalogue&) = delete;

    bool writable() const override { return m_writable; }
    CatalogueStatus liveRecords(std::vector<CatalogueRecord>& out) override;
    CatalogueStatus liveFileStates(std::vector<CatalogueFileState>& out) override;
    CatalogueStatus findByContent(const ContentKey& key, std::vector<CatalogueRecord>& out) override;
    CatalogueStatus findByName(const std::string& fileName, std::optional<CatalogueRecord>& out) override;
    CatalogueStatus findOrigin(const PhoneOrigin& origin, bool& archived) override;
    CatalogueStatus apply(const CatalogueChanges& changes) override;
    CatalogueStatus withSnapshot(const std::function<void()>& lookups) override;
    // Kept in the same file, on the same connection.
    SqliteRecordingNotes& notes() { return *m_notes; }
    SqlitePhonebook& phonebook() { return m_phonebook; }
    SqlitePublishLedger& published() { return m_published; }

private:
    sqlite3_stmt* prepared(sqlite3_stmt*& slot, const char* sql);
    CatalogueStatus applyInTransaction(const CatalogueChanges& changes);
    CatalogueStatus applyOrigins(const std::vector<std::pair<std::string, PhoneOrigin>>& origins);

    sqlite3* m_db;
    bool m_writable;
    std::string m_selected;  // the columns read into a CatalogueRecord
    sqlite3_stmt* m_byContent = nullptr;
    sqlite3_stmt* m_byName = nullptr;
    sqlite3_stmt* m_byOrigin = nullptr;
    SqlitePhonebook m_phonebook;                    // on m_db; prepares nothing that outlives a call
    std::unique_ptr<SqliteRecordingNotes> m_notes;  // on m_db
    SqlitePublishLedger m_published;                // on m_db; prepares nothing that outlives a call
};

}  // namespace tapelink
