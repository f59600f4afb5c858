#include "platform/SqliteRecordingNotes.h"

#include "catalogue/IArchiveCatalogue.h"
#include "contacts/NoteRules.h"
#include "platform/SqliteStatement.h"

namespace tapelink {

namespace {

using sqlite::Statement;
using sqlite::statusOf;

// Live rows only: a replaced recording keeps its note aside with it. CROSS JOIN keeps the note tables, far
// smaller than the recordings, as the outer loop.
constexpr const char* kNoteOf =
    "SELECT n.note FROM recording_notes n JOIN recordings r ON r.id = n.recording_id "
    "WHERE r.file_name = ?1 AND r.state <> 2";
constexpr const char* kTagsOf =
    "SELECT t.tag FROM recording_tags t JOIN recordings r ON r.id = t.recording_id "
    "WHERE r.file_name = ?1 AND r.state <> 2 ORDER BY t.position";
constexpr const char* kAllNotes =
    "SELECT r.file_name, n.note FROM recording_notes n CROSS JOIN recordings r ON r.id = n.recording_id "
    "WHERE r.state <> 2";
constexpr const char* kAllTags =
    "SELECT r.file_name, t.tag FROM recording_tags t CROSS JOIN recordings r ON r.id = t.recording_id "
    "WHERE r.state <> 2 ORDER BY t.recording_id, t.position";
// LIKE ignores the case of ASCII letters only; other scripts are compared as written. UNION ALL: a file
// found twice is kept once by the caller's set, cheaper than a temporary table here.
constexpr const char* kWithText =
    "SELECT r.file_name FROM recording_notes n CROSS JOIN recordings r ON r.id = n.recording_id "
    "WHERE r.state <> 2 AND n.note LIKE ?1 ESCAPE '\\' "
    "UNION ALL SELECT r.file_name FROM recording_tags t CROSS JOIN recordings r ON r.id = t.recording_id "
    "WHERE r.state <> 2 AND t.tag LIKE ?1 ESCAPE '\\'";

// A LIKE pattern that finds text anywhere, its own % and _ taken literally.
std::string containsPattern(const std::string& text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + '%';
}

}  // namespace

SqliteRecordingNotes::SqliteRecordingNotes(sqlite3* db, bool writable)
    : m_db(db), m_writable(writable), m_probe(sqlite::probeTable(db, "recording_notes", m_hasTables)) {}

CatalogueStatus SqliteRecordingNotes::noteOf(const std::string& fileName, RecordingNote& out) {
    out = {};
    if (!m_hasTables) return m_probe;
    Statement note(m_db, kNoteOf);
    note.bind(1, fileName);
    int code = note.forEachRow([&] { out.text = note.text(0); });
    if (code != SQLITE_OK) return statusOf(code);
    Statement tags(m_db, kTagsOf);
    tags.bind(1, fileName);
    code = tags.forEachRow([&] { out.tags.push_back(tags.text(0)); });
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteRecordingNotes::allNotes(std::map<std::string, RecordingNote>& out) {
    out.clear();
    if (!m_hasTables) return m_probe;
    Statement notes(m_db, kAllNotes);
    int code = notes.forEachRow([&] { out[notes.text(0)].text = notes.text(1); });
    if (code != SQLITE_OK) return statusOf(code);
    Statement tags(m_db, kAllTags);
    code = tags.forEachRow([&] { out[tags.text(0)].tags.push_back(tags.text(1)); });
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteRecordingNotes::filesWithText(const std::string& text, std::set<std::string>& out) {
    out.clear();
    if (!m_hasTables) return m_probe;
    Statement matching(m_db, kWithText);
    matching.bind(1, containsPattern(text));
    const int code = matching.forEachRow([&] { out.insert(matching.text(0)); });
    return code == SQLITE_OK ? CatalogueStatus::Ok : statusOf(code);
}

CatalogueStatus SqliteRecordingNotes::setNote(const std::string& fileName, const RecordingNote& note) {
    if (!m_writable || !m_hasTables) return CatalogueStatus::ReadOnly;
    RecordingNote stored = note;
    if (checkNote(stored) != NoteProblem::None) return CatalogueStatus::Failed;
    const int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return statusOf(code);
    const CatalogueStatus status = storeInTransaction(fileName, stored);
    if (status == CatalogueStatus::Ok) {
        const int committed = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (committed == SQLITE_OK) return CatalogueStatus::Ok;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return statusOf(committed);
    }
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return status;
}

CatalogueStatus SqliteRecordingNotes::storeInTransaction(const std::string& fileName, const RecordingNote& note) {
    Statement row(m_db, "SELECT id FROM recordings WHERE file_name = ?1 AND state <> 2");
    row.bind(1, fileName);
    sqlite3_int64 id = 0;
    bool found = false;
    int code = row.forEachRow([&] {
        id = sqlite3_column_int64(row.get(), 0);
        found = true;
    });
    if (code != SQLITE_OK) return statusOf(code);
    // No recording of that name: nothing to keep the note with.
    if (!found) return CatalogueStatus::Failed;

    for (const char* sql : {"DELETE FROM recording_notes WHERE recording_id = ?1",
                            "DELETE FROM recording_tags WHERE recording_id = ?1"}) {
        Statement clear(m_db, sql);
        sqlite3_bind_int64(clear.get(), 1, id);
        if ((code = clear.forEachRow([] {})) != SQLITE_OK) return statusOf(code);
    }
    if (!note.text.empty()) {
        Statement insert(m_db, "INSERT INTO recording_notes(recording_id, note) VALUES(?1, ?2)");
        sqlite3_bind_int64(insert.get(), 1, id);
        insert.bind(2, note.text);
        if ((code = insert.forEachRow([] {})) != SQLITE_OK) return statusOf(code);
    }
    Statement tag(m_db, "INSERT INTO recording_tags(recording_id, tag, position) VALUES(?1, ?2, ?3)");
    for (std::size_t position = 0; position < note.tags.size(); ++position) {
        sqlite3_reset(tag.get());
        sqlite3_bind_int64(tag.get(), 1, id);
        tag.bind(2, note.tags[position]);
        sqlite3_bind_int64(tag.get(), 3, static_cast<sqlite3_int64>(position));
        if ((code = tag.forEachRow([] {})) != SQLITE_OK) return statusOf(code);
    }
    return CatalogueStatus::Ok;
}

}  // namespace tapelink
