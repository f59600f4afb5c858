#include "contacts/ContactFile.h"

#include <algorithm>

#include "contacts/ContactDirectory.h"
#include "recording/DisplayText.h"

namespace tapelink {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
// The longest name, number or company kept; longer fields are no contact's.
constexpr std::size_t kMaxFieldBytes = 512;

}  // namespace

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t point = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            point = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            point = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            point = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = (point << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
        if ((length == 3 && point < 0x800) || (length == 4 && (point < 0x10000 || point > 0x10FFFF)) ||
            (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

namespace {

bool isNumberSeparator(std::string_view text, std::size_t at, std::size_t& width) {
    const char c = text[at];
    width = 1;
    if (c == ',' || c == ';' || c == '/' || c == '|') return true;
    if (text.substr(at, 3) == ":::") {  // how one online address book joins a contact's numbers in its CSV
        width = 3;
        return true;
    }
    for (std::string_view wide : {"\xEF\xBC\x8C", "\xEF\xBC\x9B", "\xE3\x80\x81"}) {  // ，；、
        if (text.substr(at, wide.size()) == wide) {
            width = wide.size();
            return true;
        }
    }
    return false;
}

// The lines of a cell that each hold numbers of their own. Line breaks separate numbers only when every
// line with a digit is a number on its own (at least 5 digits) or an extension; otherwise they are spaces
// inside one number written over two lines ("0755\n8888 6666").
std::vector<std::string_view> numberLines(std::string_view text) {
    if (text.find_first_of("\r\n") == std::string_view::npos) return {text};
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const bool separate = std::all_of(lines.begin(), lines.end(), [](std::string_view line) {
        const std::string part(line);
        const std::size_t digits = ContactDirectory::dialledDigits(part).size();
        return digits == 0 || digits >= 5 || ContactDirectory::isExtensionOnly(cleanContactText(part));
    });
    return separate ? lines : std::vector<std::string_view>{text};
}

// Adds one part of a list of numbers: a number, or an extension alone that belongs to the number before it.
void addNumber(std::string part, std::vector<std::string>& numbers) {
    if (part.size() > kMaxFieldBytes || ContactDirectory::dialledDigits(part).empty()) return;
    if (ContactDirectory::isExtensionOnly(part)) {
        if (numbers.empty() || !ContactDirectory::extensionDigits(numbers.back()).empty()) return;
        std::string joined = numbers.back() + ' ' + part;
        if (joined.size() <= kMaxFieldBytes) numbers.back() = std::move(joined);
        return;
    }
    numbers.push_back(std::move(part));
}

}  // namespace

void ContactFileContents::skip(int line, std::string reason) {
    if (skippedCount++ < kMaxListedSkips) skipped.push_back({line, std::move(reason)});
}

void ContactFileContents::add(int line, Contact contact) {
    contact.name = cleanContactText(contact.name);
    contact.company = cleanContactText(contact.company);
    std::vector<std::string> numbers;
    for (const std::string& number : contact.numbers) {
        for (std::string& part : contactNumbersIn(number)) numbers.push_back(std::move(part));
    }
    contact.numbers = std::move(numbers);
    if (contact.name.empty()) contact.name = contact.company;
    if (contact.name.size() > kMaxFieldBytes || contact.company.size() > kMaxFieldBytes) {
        skip(line, "内容过长");
    } else if (contact.numbers.empty()) {
        skip(line, contact.name.empty() ? "空记录" : "没有电话号码");
    } else if (contact.name.empty()) {
        skip(line, "没有姓名");
    } else {
        contacts.push_back(std::move(contact));
    }
}

std::string contactFileText(const std::string& bytes) {
    std::string_view text = bytes;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return isValidUtf8(text) ? std::string(text) : gb18030ToUtf8(std::string(text));
}

std::string cleanContactText(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (const char c : text) {
        // Line breaks and other control characters inside a field become one space.
        const auto byte = static_cast<unsigned char>(c);
        const bool space = byte <= 0x20 || byte == 0x7F;
        if (!space) {
            clean += c;
        } else if (!clean.ends_with(' ')) {
            clean += ' ';
        }
    }
    std::string_view view = clean;
    while (true) {
        if (view.starts_with(' ')) {
            view.remove_prefix(1);
        } else if (view.ends_with(' ')) {
            view.remove_suffix(1);
        } else if (view.starts_with(kIdeographicSpace)) {
            view.remove_prefix(kIdeographicSpace.size());
        } else if (view.ends_with(kIdeographicSpace)) {
            view.remove_suffix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    return std::string(view);
}

std::vector<std::string> contactNumbersIn(const std::string& text) {
    std::vector<std::string> numbers;
    for (const std::string_view line : numberLines(text)) {
        std::size_t start = 0;
        for (std::size_t at = 0; at <= line.size();) {
            std::size_t width = 1;
            if (at == line.size() || isNumberSeparator(line, at, width)) {
                addNumber(cleanContactText(std::string(line.substr(start, at - start))), numbers);
                start = at + width;
            }
            at += width;
        }
    }
    return numbers;
}

}  // namespace tapelink
