#pragma once

#include <sqlite3.h>

#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink::sqlite {

// A text column as stored, NUL bytes and all.
inline std::string text(sqlite3_stmt* statement, int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return bytes == nullptr ? std::string()
                            : std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// A prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { m_code = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_statement; }
    int code() const { return m_code; }

    void bind(int index, const std::string& value) const {
        sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    std::string text(int column) const { return sqlite::text(m_statement, column); }
    // Calls row() for each result row; the final SQLite code, SQLITE_OK when all rows were read.
    template <typename Row>
    int forEachRow(Row row) const {
        if (m_code != SQLITE_OK) return m_code;
        int code = SQLITE_OK;
        while ((code = sqlite3_step(m_statement)) == SQLITE_ROW) row();
        return code == SQLITE_DONE ? SQLITE_OK : code;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_code = SQLITE_OK;
};

inline CatalogueStatus statusOf(int code) {
    code &= 0xFF;
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) return CatalogueStatus::Unreadable;
    if (code == SQLITE_READONLY) return CatalogueStatus::ReadOnly;
    return CatalogueStatus::Failed;
}

// Whether the table exists: the answer in exists, and Failed when the catalogue could not be read at
// all (a hot journal that a reading connection cannot roll back), so that a reader never mistakes an
// unreadable catalogue for one without the table.
inline CatalogueStatus probeTable(sqlite3* db, const char* table, bool& exists) {
    Statement statement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    statement.bind(1, table);
    exists = false;
    const int code = statement.forEachRow([&] { exists = true; });
    return code == SQLITE_OK ? CatalogueStatus::Ok : CatalogueStatus::Failed;
}

inline void bindText(sqlite3_stmt* statement, int index, const std::string& value) {
    sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

// Runs a reset statement to its end; the SQLite result code.
inline int runToEnd(sqlite3_stmt* statement) {
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    sqlite3_reset(statement);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

}  // namespace tapelink::sqlite
