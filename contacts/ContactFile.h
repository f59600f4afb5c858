#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

namespace tapelink {

// A part of a contact file that gave no contact, and why.
struct SkippedLine {
    int line = 0;  // 1-based line where the record or card begins
    std::string reason;

    bool operator==(const SkippedLine&) const = default;
};

// What a contact file gave: the contacts it holds and what could not be read.
struct ContactFileContents {
    std::vector<Contact> contacts;
    std::vector<SkippedLine> skipped;  // the first kMaxListedSkips of them
    int skippedCount = 0;              // all of them

    static constexpr int kMaxListedSkips = 1000;
    void skip(int line, std::string reason);
    // Adds a contact with a name and at least one number; otherwise tells why it gave none.
    void add(int line, Contact contact);
};

// Texts of contact files in UTF-8: a byte-order mark dropped, valid UTF-8 kept, anything else read as
// GB18030 (GBK and its extension).
std::string contactFileText(const std::string& bytes);
// Whether bytes are UTF-8 throughout (no overlong forms, surrogates or points past U+10FFFF).
bool isValidUtf8(std::string_view text);
// Whitespace (ASCII and the ideographic space) at both ends removed, control characters dropped.
std::string cleanContactText(const std::string& text);
// The numbers one cell or field holds: split at commas, semicolons, slashes, " ::: ", the Chinese commas
// and line breaks between whole numbers; an extension alone ("ext. 12") joins the number before it;
// parts without a digit dropped.
std::vector<std::string> contactNumbersIn(const std::string& text);

}  // namespace tapelink
