#pragma once

#include <string>

#include "contacts/Contact.h"

namespace tapelink {

// An entry of the team's phonebook, with who wrote it last and when, as the server recorded them.
struct TeamContact {
    Contact contact;       // its id is the server's, no desk's
    std::string editedBy;  // the server role
    std::string editedAt;  // ISO 8601 in UTC

    bool operator==(const TeamContact&) const = default;
};

}  // namespace tapelink
