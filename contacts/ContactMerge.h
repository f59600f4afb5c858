#pragma once

#include <vector>

#include "contacts/Contact.h"
#include "contacts/IPhonebook.h"

namespace tapelink {

// One contact an import writes: a new one (id 0) or a stored one that gained something.
struct ContactWrite {
    Contact contact;
    bool numbersChanged = false;
};

// What an import of incoming into a phonebook holding stored changes, by the one rule of every import:
// the name is the key, a contact stored under the same name (the oldest of a name) is updated, never
// duplicated: it gains the numbers it lacks and a company the import names, and keeps everything it had.
// Incoming contacts of one name are one contact; nameless ones are left out.
struct ContactImportPlan {
    std::vector<ContactWrite> writes;
    ContactImportCounts counts;
};
ContactImportPlan planContactImport(const std::vector<Contact>& stored, const std::vector<Contact>& incoming);

}  // namespace tapelink
