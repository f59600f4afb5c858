#include "archive/ContactDirectory.h"

#include <algorithm>
#include <string_view>

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

}  // namespace

std::string ContactDirectory::dialledDigits(const std::string& phoneNumber) {
    std::string digits;
    bool plus = false;
    for (std::size_t i = 0; i < phoneNumber.size(); ++i) {
        const char c = phoneNumber[i];
        if (c >= '0' && c <= '9') {
            digits += c;
        } else if (c == '+' && digits.empty()) {
            plus = true;
        } else if (c == '\xEF' && i + 2 < phoneNumber.size() && phoneNumber[i + 1] == '\xBC' &&
                   phoneNumber[i + 2] >= '\x90' && phoneNumber[i + 2] <= '\x99') {
            // Full-width digits (U+FF10..U+FF19), as Chinese input methods type them.
            digits += static_cast<char>('0' + (phoneNumber[i + 2] - '\x90'));
            i += 2;
        }
    }
    if (plus && digits.starts_with("86")) {
        digits.erase(0, 2);
    } else if (digits.starts_with("0086")) {
        digits.erase(0, 4);
    } else if (digits.size() == 13 && digits.starts_with("86") && isMobile(std::string_view(digits).substr(2))) {
        // Caller ID of a mobile number reaching the telephone from abroad.
        digits.erase(0, 2);
    }
    // A mobile number from outside its home area is often dialled with a trunk 0.
    if (digits.size() == 12 && digits[0] == '0' && isMobile(std::string_view(digits).substr(1))) digits.erase(0, 1);
    return digits;
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
            std::string digits = dialledDigits(number);
            const std::uint64_t key = keyOf(digits);
            if (key == 0) continue;
            const auto [exact, fresh] = m_exact.try_emplace(key, name);
            if (!fresh && exact->second != name) exact->second = kAmbiguous;
            if (digits.size() >= kTailDigits) {
                const std::uint64_t tail = keyOf(std::string_view(digits).substr(digits.size() - kTailDigits));
                m_tails[tail].push_back({std::move(digits), name});
            }
        }
    }
}

int ContactDirectory::nameIndexOf(const std::string& digits) const {
    const std::uint64_t key = keyOf(digits);
    if (key == 0) return kAmbiguous;
    if (const auto exact = m_exact.find(key); exact != m_exact.end()) return exact->second;
    if (digits.size() < kTailDigits) return kAmbiguous;
    const auto tails = m_tails.find(keyOf(std::string_view(digits).substr(digits.size() - kTailDigits)));
    if (tails == m_tails.end()) return kAmbiguous;
    int found = kAmbiguous;
    for (const Tail& tail : tails->second) {
        if (tail.digits.size() == digits.size()) continue;  // same length, not equal: another number
        const std::string& longer = tail.digits.size() > digits.size() ? tail.digits : digits;
        const std::string& shorter = tail.digits.size() > digits.size() ? digits : tail.digits;
        // A mobile number has no area code to lack: its last 8 digits are no landline's.
        if (isMobile(longer) || isMobile(shorter) || !longer.ends_with(shorter)) continue;
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
