#include "archive/ContactFile.h"

#include "archive/ContactDirectory.h"
#include "phone/DisplayText.h"

namespace tapelink {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
// The longest name, number or company kept; longer fields are no contact's.
constexpr std::size_t kMaxFieldBytes = 512;

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

bool isNumberSeparator(std::string_view text, std::size_t at, std::size_t& width) {
    const char c = text[at];
    width = 1;
    if (c == ',' || c == ';' || c == '/' || c == '|') return true;
    for (std::string_view wide : {"\xEF\xBC\x8C", "\xEF\xBC\x9B", "\xE3\x80\x81"}) {  // ，；、
        if (text.substr(at, wide.size()) == wide) {
            width = wide.size();
            return true;
        }
    }
    return false;
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
    return isValidUtf8(text) ? std::string(text) : gbkToUtf8(std::string(text));
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
    const std::string_view view = text;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= view.size();) {
        std::size_t width = 1;
        if (at == view.size() || isNumberSeparator(view, at, width)) {
            std::string part = cleanContactText(std::string(view.substr(start, at - start)));
            if (part.size() <= kMaxFieldBytes && !ContactDirectory::dialledDigits(part).empty()) {
                numbers.push_back(std::move(part));
            }
            start = at + width;
        }
        at += width;
    }
    return numbers;
}

}  // namespace tapelink
