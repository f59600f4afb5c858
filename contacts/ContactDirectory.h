#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "contacts/Contact.h"

namespace tapelink {

// Finds the contact a recording's number belongs to. Built once from the phonebook, then asked for
// every row of a list. This is the one place of the number-matching rule:
// - numbers are compared by their digits only (spaces, dashes, brackets and the like dropped), with the
//   country prefix +86 or 0086 removed and a mobile number dialled with a leading 0 taken without it;
// - an extension (021-87654321-8012, 0571-88886666 转 123, ext. 12, x12, 分机 12) is no part of the
//   number: the main line's number is what matches;
// - an exact match wins; otherwise, when one side lacks the area code, the longer number must end in
//   the shorter one (at least the last 8 digits; never for a mobile number);
// - no name when no contact or more than one contact fits.
class ContactDirectory {
public:
    ContactDirectory() = default;
    explicit ContactDirectory(const std::vector<Contact>& contacts);

    // The contact's name, or empty when no one or more than one contact fits the number.
    std::string nameFor(const std::string& phoneNumber) const;
    // Every contact's name the number could be: nameFor's one name, or all of those that share the
    // number, in the contacts' order. A search by name finds a shared number under each of them.
    std::vector<std::string> namesFitting(const std::string& phoneNumber) const;
    // The names of the contacts whose name contains text (the search's texts without digits), in the
    // contacts' order, each once. Latin letters match in either case.
    std::vector<std::string> namesContaining(const std::string& text) const;
    bool empty() const;

    // The digits a number is compared by ("+86 138-1234-5678" gives "13812345678"), without its
    // extension; empty when the number holds no digit.
    static std::string dialledDigits(const std::string& phoneNumber);
    // The extension's digits ("0571-88886666 转 123" gives "123"); empty when the number has none.
    static std::string extensionDigits(const std::string& phoneNumber);
    // Whether a text is an extension alone ("ext. 12", "转 8012"), as a list of numbers may hold one after
    // the number it belongs to.
    static bool isExtensionOnly(const std::string& text);

private:
    struct Tail {
        std::string digits;
        int name;
    };
    static constexpr int kAmbiguous = -1;

    void add(const std::string& number, int name);
    int nameIndexOf(const std::string& digits) const;
    const std::vector<Tail>* tailsOf(const std::string& digits) const;
    static bool tailFits(const Tail& tail, const std::string& digits);
    static std::size_t extensionAt(std::string_view text);

    // Digits as one number, a leading 1 keeping their count ("0755" is 10755): lists ask for a name per
    // row, and integer keys keep each lookup to a hash and a compare. 0 for no digits or more than 18.
    static std::uint64_t keyOf(std::string_view digits);

    std::vector<std::string> m_names;
    std::unordered_map<std::uint64_t, int> m_exact;                // digits -> name index or kAmbiguous
    std::unordered_map<std::uint64_t, std::vector<int>> m_shared;  // digits of kAmbiguous -> the names
    std::unordered_map<std::uint64_t, std::vector<Tail>> m_tails;  // last 8 digits -> the numbers ending so
};

}  // namespace tapelink
