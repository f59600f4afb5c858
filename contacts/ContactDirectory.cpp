#include "contacts/ContactDirectory.h"

#include <algorithm>
#include <string_view>

#include "contacts/ContactFile.h"

namespace tapelink {

namespace {

// The shortest tail that still tells two subscribers of one area apart.
constexpr std::size_t kTailDigits = 8;

bool isMobile(std::string_view digits) {
    return digits.size() == 11 && digits[0] == '1' && digits[1] >= '3' && digits[1] <= '9';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsIgnoringAsciiCase(std::string_view haystack, std::string_view needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [](char a, char b) { return lowerAscii(a) == lowerAscii(b); }) != haystack.end();
}

struct Digits {
    std::string digits;
    bool international = false;  // a country prefix was dropped
};

// The digits of a text, and whether a '+' came before the first of them.
std::string plainDigits(std::string_view text, bool* plus = nullptr) {
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits += c;
        } else if (c == '+' && digits.empty() && plus != nullptr) {
            *plus = true;
        } else if (c == '\xEF' && i + 2 < text.size() && text[i + 1] == '\xBC' && text[i + 2] >= '\x90' &&
                   text[i + 2] <= '\x99') {
            // Full-width digits (U+FF10..U+FF19), as Chinese input methods type them.
            digits += static_cast<char>('0' + (text[i + 2] - '\x90'));
            i += 2;
        }
    }
    return digits;
}

// The digits of a number without its extension, with the country prefix and a mobile's trunk 0 dropped.
Digits digitsOf(std::string_view phoneNumber) {
    Digits found;
    bool plus = false;
    found.digits = plainDigits(phoneNumber, &plus);
    std::string& digits = found.digits;
    const std::size_t before = digits.size();
    if (plus && digits.starts_with("86")) {
        digits.erase(0, 2);
    } else if (digits.starts_with("0086")) {
        digits.erase(0, 4);
    } else if (digits.size() == 13 && digits.starts_with("86") && isMobile(std::string_view(digits).substr(2))) {
        // Caller ID of a mobile number reaching the telephone from abroad.
        digits.erase(0, 2);
    }
    found.international = digits.size() != before;
    // A mobile number from outside its home area is often dialled with a trunk 0.
    if (digits.size() == 12 && digits[0] == '0' && isMobile(std::string_view(digits).substr(1))) digits.erase(0, 1);
    return found;
}

// Whether the digits are a whole number one could dial, so that digits after it can only be an extension.
bool isWholeNumber(const Digits& number) {
    const std::string& digits = number.digits;
    if (isMobile(digits)) return true;
    if (number.international) return digits.size() >= 9 && digits.size() <= 11 && digits[0] != '0';
    if (digits.starts_with('0')) return digits.size() >= 10 && digits.size() <= 12;  // area code and subscriber
    // A local subscriber; numbers beginning with 1 are services and mobiles, never followed by an extension.
    return digits.size() >= 7 && digits.size() <= 8 && digits[0] != '1';
}

// Where a written extension marker begins (转, 分机, 内线, ext., x, #), counted only after a digit so that
// "Tel:" before a number is none.
std::size_t markerAt(std::string_view text) {
    const std::size_t firstDigit = text.find_first_of("0123456789");
    if (firstDigit == std::string_view::npos) return text.size();
    for (std::size_t i = firstDigit + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') continue;  // most of a caller ID, checked first
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#') return i;
        if (c != '\xE8' && c != '\xE5') continue;  // the lead byte of every marker word
        for (const std::string_view word : {"\xE8\xBD\xAC", "\xE5\x88\x86\xE6\x9C\xBA", "\xE5\x86\x85\xE7\xBA\xBF"}) {
            if (text.substr(i, word.size()) == word) return i;
        }
    }
    return text.size();
}

}  // namespace

// Where the number's extension begins; the text's size when it has none. Without a written marker, a last
// group of one to six digits after a dash is an extension when the digits before it are a whole number
// (021-87654321-8012), but not when they are not (010-6552-1234).
std::size_t ContactDirectory::extensionAt(std::string_view text) {
    const std::size_t marker = markerAt(text);
    if (marker != text.size()) return marker;
    const std::size_t dash = text.rfind('-');
    if (dash == std::string_view::npos) return text.size();
    std::string_view last = text.substr(dash + 1);
    while (last.starts_with(' ')) last.remove_prefix(1);
    while (last.ends_with(' ')) last.remove_suffix(1);
    if (last.empty() || last.size() > 6 || last.find_first_not_of("0123456789") != std::string_view::npos) {
        return text.size();
    }
    return isWholeNumber(digitsOf(text.substr(0, dash))) ? dash : text.size();
}

std::string ContactDirectory::dialledDigits(const std::string& phoneNumber) {
    const std::string_view text = phoneNumber;
    return digitsOf(text.substr(0, extensionAt(text))).digits;
}

std::string ContactDirectory::extensionDigits(const std::string& phoneNumber) {
    const std::string_view text = phoneNumber;
    const std::size_t at = extensionAt(text);
    return at == text.size() ? std::string() : plainDigits(text.substr(at));
}

bool ContactDirectory::isExtensionOnly(const std::string& text) {
    std::string_view rest = text;
    while (rest.starts_with(' ')) rest.remove_prefix(1);
    bool marked = false;
    for (const std::string_view word :
         {"\xE8\xBD\xAC", "\xE5\x88\x86\xE6\x9C\xBA", "\xE5\x86\x85\xE7\xBA\xBF", "ext", "EXT", "Ext", "x", "X", "#"}) {
        if (rest.starts_with(word)) {
            rest.remove_prefix(word.size());
            marked = true;
            break;
        }
    }
    // What follows the marker is the extension's digits, perhaps after a dot, an equals sign or a colon.
    return marked && rest.find_first_of("0123456789") != std::string_view::npos &&
           rest.find_first_not_of("0123456789 .=:") == std::string_view::npos;
}

std::uint64_t ContactDirectory::keyOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 18) return 0;  // no telephone number is that long
    std::uint64_t key = 1;
    for (const char digit : digits) key = key * 10 + static_cast<std::uint64_t>(digit - '0');
    return key;
}

ContactDirectory::ContactDirectory(const std::vector<Contact>& contacts) {
    std::unordered_map<std::string, int> nameIndex;
    for (const Contact& contact : contacts) {
        const auto [slot, added] = nameIndex.try_emplace(contact.name, static_cast<int>(m_names.size()));
        if (added) m_names.push_back(contact.name);
        const int name = slot->second;
        for (const std::string& number : contact.numbers) {
            // Phonebooks imported before " ::: " was a separator hold such lists as one number.
            if (number.find(":::") != std::string::npos) {
                for (const std::string& part : contactNumbersIn(number)) add(part, name);
            } else {
                add(number, name);
            }
        }
    }
}

void ContactDirectory::add(const std::string& number, int name) {
    std::string digits = dialledDigits(number);
    const std::uint64_t key = keyOf(digits);
    if (key == 0) return;
    const auto [exact, fresh] = m_exact.try_emplace(key, name);
    if (!fresh && exact->second != name) {
        std::vector<int>& shared = m_shared[key];
        if (exact->second != kAmbiguous) shared.push_back(exact->second);
        if (std::find(shared.begin(), shared.end(), name) == shared.end()) shared.push_back(name);
        exact->second = kAmbiguous;
    }
    if (digits.size() >= kTailDigits) {
        const std::uint64_t tail = keyOf(std::string_view(digits).substr(digits.size() - kTailDigits));
        m_tails[tail].push_back({std::move(digits), name});
    }
}

bool ContactDirectory::tailFits(const Tail& tail, const std::string& digits) {
    if (tail.digits.size() == digits.size()) return false;  // same length, not equal: another number
    const std::string& longer = tail.digits.size() > digits.size() ? tail.digits : digits;
    const std::string& shorter = tail.digits.size() > digits.size() ? digits : tail.digits;
    // A mobile number has no area code to lack: its last 8 digits are no landline's.
    return !isMobile(longer) && !isMobile(shorter) && longer.ends_with(shorter);
}

const std::vector<ContactDirectory::Tail>* ContactDirectory::tailsOf(const std::string& digits) const {
    if (digits.size() < kTailDigits) return nullptr;
    const auto tails = m_tails.find(keyOf(std::string_view(digits).substr(digits.size() - kTailDigits)));
    return tails == m_tails.end() ? nullptr : &tails->second;
}

int ContactDirectory::nameIndexOf(const std::string& digits) const {
    const std::uint64_t key = keyOf(digits);
    if (key == 0) return kAmbiguous;
    if (const auto exact = m_exact.find(key); exact != m_exact.end()) return exact->second;
    const std::vector<Tail>* tails = tailsOf(digits);
    if (tails == nullptr) return kAmbiguous;
    int found = kAmbiguous;
    for (const Tail& tail : *tails) {
        if (!tailFits(tail, digits)) continue;
        if (found != kAmbiguous && found != tail.name) return kAmbiguous;
        found = tail.name;
    }
    return found;
}

std::string ContactDirectory::nameFor(const std::string& phoneNumber) const {
    if (m_names.empty()) return {};
    const int name = nameIndexOf(dialledDigits(phoneNumber));
    return name == kAmbiguous ? std::string() : m_names[static_cast<std::size_t>(name)];
}

std::vector<std::string> ContactDirectory::namesFitting(const std::string& phoneNumber) const {
    const std::string digits = dialledDigits(phoneNumber);
    const std::uint64_t key = keyOf(digits);
    if (key == 0) return {};
    std::vector<int> found;
    if (const auto exact = m_exact.find(key); exact != m_exact.end()) {
        // An exact match wins over tails, as for nameFor.
        found = exact->second == kAmbiguous ? m_shared.at(key) : std::vector<int>{exact->second};
    } else if (const std::vector<Tail>* tails = tailsOf(digits)) {
        for (const Tail& tail : *tails) {
            if (tailFits(tail, digits) && std::find(found.begin(), found.end(), tail.name) == found.end()) {
                found.push_back(tail.name);
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (const int name : found) names.push_back(m_names[static_cast<std::size_t>(name)]);
    return names;
}

std::vector<std::string> ContactDirectory::namesContaining(const std::string& text) const {
    std::vector<std::string> names;
    for (const std::string& name : m_names) {
        if (containsIgnoringAsciiCase(name, text)) names.push_back(name);
    }
    return names;
}

bool ContactDirectory::empty() const {
    return m_names.empty();
}

}  // namespace tapelink
