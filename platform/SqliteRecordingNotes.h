#pragma once

#include <sqlite3.h>

#include "contacts/IRecordingNotes.h"

namespace tapelink {

// Notes and tags in the catalogue's SQLite file, on the catalogue's own connection. A catalogue from
// before notes existed, opened for reading, reads as having none.
class SqliteRecordingNotes : public IRecordingNotes {
public:
    // db stays owned by the catalogue and outlives this object.
    SqliteRecordingNotes(sqlite3* db, bool writable);

    CatalogueStatus noteOf(const std::string& fileName, RecordingNote& out) override;
    CatalogueStatus setNote(const std::string& fileName, const RecordingNote& note) override;
    CatalogueStatus allNotes(std::map<std::string, RecordingNote>& out) override;
    CatalogueStatus filesWithText(const std::string& text, std::set<std::string>& out) override;

private:
    CatalogueStatus storeInTransaction(const std::string& fileName, const RecordingNote& note);

    sqlite3* m_db;
    bool m_writable;
    bool m_hasTables = false;
    CatalogueStatus m_probe;
};

}  // namespace tapelink
