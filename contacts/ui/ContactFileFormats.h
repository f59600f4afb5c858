#pragma once

#include <functional>
#include <string>
#include <vector>

#include "contacts/Contact.h"

namespace tapelink {

// What reading a contact file gave: the contacts it holds, and a line for each part that was passed over.
struct ContactFileRead {
    bool opened = false;
    std::vector<Contact> contacts;
    std::vector<std::string> skipped;  // e.g. "第 12 行：没有电话号码"
};

// The contact file formats the phonebook window reads and writes, given by the application.
struct ContactFileFormats {
    // A CSV or vCard file, told apart by its content.
    std::function<ContactFileRead(const std::string& path)> read;
    // The contacts as a CSV file; false when it could not be written (nothing is left behind then).
    std::function<bool(const std::string& path, const std::vector<Contact>& contacts)> writeCsv;
};

}  // namespace tapelink
