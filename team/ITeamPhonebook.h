#pragma once

#include <vector>

#include "contacts/Contact.h"
#include "contacts/IPhonebook.h"
#include "team/TeamContact.h"
#include "team/TeamStatus.h"

namespace tapelink {

// The phonebook a team shares on its server. The server decides who may read and who may change it; a change
// it refuses answers Refused, and each call is whole or not done at all.
class ITeamPhonebook {
public:
    virtual ~ITeamPhonebook() = default;

    // Every entry, ordered by name.
    virtual TeamStatus entries(std::vector<TeamContact>& out) = 0;
    // Whether the connected person may change the team's phonebook.
    virtual TeamStatus mayEdit(bool& out) = 0;
    // Merges contacts into the team's phonebook by the rule of every import (the name is the key; an entry
    // gains numbers and a company, loses nothing). Entries that gain nothing are left as they are, with
    // their last editor.
    virtual TeamStatus merge(const std::vector<Contact>& contacts, ContactImportCounts& counts) = 0;
};

}  // namespace tapelink
