#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "archive/Contact.h"

namespace tapelink {

// Finds the contact a recording's number belongs to. Built once from the phonebook, then asked for
// every row of a list.
class ContactDirectory {
public:
    ContactDirectory() = default;
    explicit ContactDirectory(const std::vector<Contact>& contacts);

    // The contact's name, or empty when no one or more than one contact fits the number.
    std::string nameFor(const std::string& phoneNumber) const;
    // The names of the contacts whose name contains text (the search's texts without digits).
    std::vector<std::string> namesContaining(const std::string& text) const;
    bool empty() const;

private:
    std::vector<Contact> m_contacts;
};

}  // namespace tapelink
