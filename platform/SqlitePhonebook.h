#pragma once

#include <sqlite3.h>

#include "catalogue/IArchiveCatalogue.h"
#include "contacts/IPhonebook.h"

namespace tapelink {

// The phonebook in the tables contacts and contact_numbers of an archive's SQLite catalogue, on the
// catalogue's own connection. A catalogue from before the phonebook, opened for reading only, has no
// such tables: its phonebook reads as empty.
class SqlitePhonebook : public IPhonebook {
public:
    // The connection stays the catalogue's.
    SqlitePhonebook(sqlite3* db, bool writable);

    CatalogueStatus contacts(std::vector<Contact>& out) override;
    CatalogueStatus save(Contact& contact) override;
    CatalogueStatus remove(std::int64_t id) override;
    CatalogueStatus import(const std::vector<Contact>& contacts, ContactImportCounts& counts) override;

private:
    template <typename Work>
    CatalogueStatus inTransaction(Work work);
    struct Writer;
    CatalogueStatus write(Writer& writer, Contact& contact, bool numbersChanged);

    sqlite3* m_db;
    bool m_writable;
    bool m_hasTables = false;
    CatalogueStatus m_probe = CatalogueStatus::Ok;
};

}  // namespace tapelink
