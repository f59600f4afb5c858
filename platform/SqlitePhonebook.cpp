#include "platform/SqlitePhonebook.h"

#include "contacts/ContactDirectory.h"
#include "contacts/ContactMerge.h"
#include "platform/SqliteStatement.h"

namespace tapelink {

using sqlite::bindText;
using sqlite::runToEnd;
using sqlite::Statement;
using sqlite::statusOf;
using sqlite::text;

SqlitePhonebook::SqlitePhonebook(sqlite3* db, bool writable) : m_db(db), m_writable(writable) {
    m_probe = sqlite::probeTable(m_db, "contacts", m_hasTables);
}

template <typename Work>
CatalogueStatus SqlitePhonebook::inTransaction(Work work) {
    if (!m_writable || !m_hasTables) return CatalogueStatus::ReadOnly;
    const int began = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (began != SQLITE_OK) return statusOf(began);
    CatalogueStatus status = work();
    if (status == CatalogueStatus::Ok) {
        const int committed = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (committed != SQLITE_OK) status = statusOf(committed);
    }
    if (status != CatalogueStatus::Ok) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return status;
}

CatalogueStatus SqlitePhonebook::contacts(std::vector<Contact>& out) {
    out.clear();
    if (!m_hasTables) return m_probe;
    Statement statement(m_db,
                        "SELECT c.id, c.name, c.company, n.number FROM contacts c "
                        "LEFT JOIN contact_numbers n ON n.contact_id = c.id ORDER BY c.name, c.id, n.rowid");
    if (statement.code() != SQLITE_OK) return statusOf(statement.code());
    int code = SQLITE_OK;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const std::int64_t id = sqlite3_column_int64(statement.get(), 0);
        if (out.empty() || out.back().id != id)
            out.push_back({id, text(statement.get(), 1), {}, text(statement.get(), 2)});
        if (sqlite3_column_type(statement.get(), 3) != SQLITE_NULL)
            out.back().numbers.push_back(text(statement.get(), 3));
    }
    return code == SQLITE_DONE ? CatalogueStatus::Ok : statusOf(code);
}

// The statements of writing contacts, prepared once for a whole import.
struct SqlitePhonebook::Writer {
    explicit Writer(sqlite3* db)
        : insert(db, "INSERT INTO contacts(name, company) VALUES(?1, ?2)"),
          update(db, "UPDATE contacts SET name = ?2, company = ?3 WHERE id = ?1"),
          clear(db, "DELETE FROM contact_numbers WHERE contact_id = ?1"),
          add(db, "INSERT INTO contact_numbers(contact_id, number, digits) VALUES(?1, ?2, ?3)") {}
    int code() const {
        for (const Statement* statement : {&insert, &update, &clear, &add}) {
            if (statement->code() != SQLITE_OK) return statement->code();
        }
        return SQLITE_OK;
    }
    Statement insert;
    Statement update;
    Statement clear;
    Statement add;
};

CatalogueStatus SqlitePhonebook::write(Writer& writer, Contact& contact, bool numbersChanged) {
    if (contact.id == 0) {
        bindText(writer.insert.get(), 1, contact.name);
        bindText(writer.insert.get(), 2, contact.company);
        if (const int code = runToEnd(writer.insert.get()); code != SQLITE_OK) return statusOf(code);
        contact.id = sqlite3_last_insert_rowid(m_db);
    } else {
        sqlite3_bind_int64(writer.update.get(), 1, contact.id);
        bindText(writer.update.get(), 2, contact.name);
        bindText(writer.update.get(), 3, contact.company);
        if (const int code = runToEnd(writer.update.get()); code != SQLITE_OK) return statusOf(code);
        if (sqlite3_changes(m_db) == 0) return CatalogueStatus::Failed;  // removed meanwhile
    }
    if (!numbersChanged) return CatalogueStatus::Ok;
    sqlite3_bind_int64(writer.clear.get(), 1, contact.id);
    if (const int code = runToEnd(writer.clear.get()); code != SQLITE_OK) return statusOf(code);
    for (const std::string& number : contact.numbers) {
        if (number.empty()) continue;
        sqlite3_bind_int64(writer.add.get(), 1, contact.id);
        bindText(writer.add.get(), 2, number);
        bindText(writer.add.get(), 3, ContactDirectory::dialledDigits(number));
        if (const int code = runToEnd(writer.add.get()); code != SQLITE_OK) return statusOf(code);
    }
    return CatalogueStatus::Ok;
}

CatalogueStatus SqlitePhonebook::save(Contact& contact) {
    Contact written = contact;
    const CatalogueStatus status = inTransaction([&] {
        Writer writer(m_db);
        return writer.code() == SQLITE_OK ? write(writer, written, true) : statusOf(writer.code());
    });
    if (status == CatalogueStatus::Ok) contact.id = written.id;
    return status;
}

CatalogueStatus SqlitePhonebook::remove(std::int64_t id) {
    return inTransaction([&] {
        // Numbers first: the cascade needs foreign keys switched on, which a connection may not have.
        for (const char* sql :
             {"DELETE FROM contact_numbers WHERE contact_id = ?1", "DELETE FROM contacts WHERE id = ?1"}) {
            Statement statement(m_db, sql);
            if (statement.code() != SQLITE_OK) return statusOf(statement.code());
            sqlite3_bind_int64(statement.get(), 1, id);
            if (const int code = runToEnd(statement.get()); code != SQLITE_OK) return statusOf(code);
        }
        return CatalogueStatus::Ok;
    });
}

// The key of a re-import is the name: contact files carry no identity that survives an export from one
// program and an import into another (vCard UIDs are often missing or made anew), and the numbers are
// what an update changes. An import adds what the file knows and never drops what the archive knew, so
// numbers typed in by hand survive a re-import of an older export.
CatalogueStatus SqlitePhonebook::import(const std::vector<Contact>& contacts, ContactImportCounts& counts) {
    counts = {};
    ContactImportCounts done;
    const CatalogueStatus status = inTransaction([&] {
        std::vector<Contact> stored;
        if (const CatalogueStatus read = this->contacts(stored); read != CatalogueStatus::Ok) return read;
        Writer writer(m_db);
        if (writer.code() != SQLITE_OK) return statusOf(writer.code());
        ContactImportPlan plan = planContactImport(stored, contacts);
        for (ContactWrite& write : plan.writes) {
            if (const CatalogueStatus written = this->write(writer, write.contact, write.numbersChanged);
                written != CatalogueStatus::Ok) {
                return written;
            }
        }
        done = plan.counts;
        return CatalogueStatus::Ok;
    });
    if (status == CatalogueStatus::Ok) counts = done;
    return status;
}

}  // namespace tapelink
