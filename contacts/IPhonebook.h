#pragma once

#include <cstdint>
#include <vector>

#include "common/CatalogueStatus.h"
#include "contacts/Contact.h"

namespace tapelink {

// What one import changed.
struct ContactImportCounts {
    int added = 0;
    int updated = 0;
    int unchanged = 0;

    bool operator==(const ContactImportCounts&) const = default;
};

// The contacts kept in an archive's catalogue, so that everyone who opens that archive sees the same names.
class IPhonebook {
public:
    virtual ~IPhonebook() = default;

    // Every contact, ordered by name.
    virtual CatalogueStatus contacts(std::vector<Contact>& out) = 0;
    // Adds a contact (id 0; id is set) or replaces the stored one with its id.
    virtual CatalogueStatus save(Contact& contact) = 0;
    virtual CatalogueStatus remove(std::int64_t id) = 0;
    // All in one transaction. A contact already stored under the same name is updated, never duplicated:
    // it gains the numbers it lacks and a company the import names; nothing it had is dropped.
    virtual CatalogueStatus import(const std::vector<Contact>& contacts, ContactImportCounts& counts) = 0;
};

}  // namespace tapelink
