#include "contacts/ContactVcard.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "recording/DisplayText.h"

namespace tapelink {

namespace {

struct LogicalLine {
    int line = 0;  // where it begins
    std::string text;
};

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// Whether the head of a property line (before the value) holds word, in any case.
bool headHas(std::string_view line, std::string_view word) {
    // Only the head is looked at, so a long run of continued lines costs no more than once.
    const std::size_t colon = line.find(':');
    return colon != std::string_view::npos && upperAscii(line.substr(0, colon)).find(word) != std::string::npos;
}

bool isQuotedPrintable(std::string_view line) {
    return headHas(line, "QUOTED-PRINTABLE");
}

// Physical lines joined: a line beginning with a space or tab continues the one before, and so does the
// line after a quoted-printable line ending in '='.
std::vector<LogicalLine> logicalLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view physical = text.substr(at, end - at);
        at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        ++number;
        if (!lines.empty() && (physical.starts_with(' ') || physical.starts_with('\t'))) {
            lines.back().text += physical.substr(1);
        } else if (!lines.empty() && lines.back().text.ends_with('=') && isQuotedPrintable(lines.back().text)) {
            lines.back().text.pop_back();
            lines.back().text += physical;
        } else {
            lines.push_back({number, std::string(physical)});
        }
    }
    return lines;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string quotedPrintableDecoded(std::string_view value) {
    std::string bytes;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const int high = value[i] == '=' && i + 2 < value.size() ? hexValue(value[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(value[i + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (value[i] != '=' || i + 1 < value.size()) {
            bytes += value[i];  // a lone '=' that is no escape is kept; a trailing one is a soft break
        }
    }
    return bytes;
}

// The parts of a structured value (N, ORG) split at unescaped semicolons, with the escapes undone.
std::vector<std::string> valueParts(std::string_view value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            parts.back() += next == 'n' || next == 'N' ? ' ' : next;
        } else if (c == ';') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One property: its upper-case name without a group, its parameters, and its value as UTF-8 text.
struct Property {
    std::string name;
    std::string value;
};

// utf8File: whether the file's values without a CHARSET are UTF-8 taken together, which decides how each
// of them reads. One field cannot tell: GBK's 转 (D7 AA) is also valid UTF-8, as ת.
std::optional<Property> propertyOf(const std::string& line, bool utf8File) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const std::string head = upperAscii(std::string_view(line).substr(0, colon));
    std::string_view value = std::string_view(line).substr(colon + 1);
    const std::size_t semicolon = head.find(';');
    std::string name = head.substr(0, semicolon);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
    const std::string params = semicolon == std::string::npos ? std::string() : head.substr(semicolon);

    std::string bytes =
        params.find("QUOTED-PRINTABLE") != std::string::npos ? quotedPrintableDecoded(value) : std::string(value);
    const bool gbk =
        params.find("CHARSET=GB") != std::string::npos || params.find("CHARSET=CP936") != std::string::npos;
    const bool utf8 = params.find("CHARSET=UTF") != std::string::npos || (utf8File && !gbk);
    // Quoted-printable bytes are not the file's, so a value said or taken to be UTF-8 is still checked.
    return Property{std::move(name), utf8 ? contactFileText(bytes) : gb18030ToUtf8(bytes)};
}

class CardBuilder {
public:
    void begin(int line) {
        m_open = true;
        m_line = line;
        m_card = {};
        m_formatted.clear();
        m_family.clear();
        m_given.clear();
    }
    bool open() const { return m_open; }

    void take(const Property& property) {
        if (property.name == "FN") {
            m_formatted = valueParts(property.value).front();
        } else if (property.name == "N") {
            const std::vector<std::string> parts = valueParts(property.value);
            m_family = cleanContactText(parts[0]);
            m_given = parts.size() > 1 ? cleanContactText(parts[1]) : std::string();
        } else if (property.name == "TEL") {
            // A tel: URI's parameters (;ext=) follow a semicolon, as a structured value's parts do.
            const std::vector<std::string> parts = valueParts(property.value);
            std::string number = parts.front();
            if (upperAscii(std::string_view(number).substr(0, 4)) == "TEL:") number.erase(0, 4);
            for (std::size_t i = 1; i < parts.size(); ++i) {
                // The extension is kept for display; matching looks at the main number only.
                if (upperAscii(std::string_view(parts[i]).substr(0, 4)) == "EXT=")
                    number += " 转 " + parts[i].substr(4);
            }
            m_card.numbers.push_back(std::move(number));
        } else if (property.name == "ORG") {
            m_card.company = valueParts(property.value).front();
        }
    }

    void finish(ContactFileContents& contents) {
        m_open = false;
        m_card.name = cleanContactText(m_formatted);
        if (m_card.name.empty()) {
            // Chinese names read family name first, without a space; Latin ones given name first.
            m_card.name =
                isAscii(m_family) && isAscii(m_given) ? cleanContactText(m_given + ' ' + m_family) : m_family + m_given;
        }
        contents.add(m_line, std::move(m_card));
    }

private:
    bool m_open = false;
    int m_line = 0;
    Contact m_card;
    std::string m_formatted;
    std::string m_family;
    std::string m_given;
};

}  // namespace

ContactFileContents readContactVcard(const std::string& bytes) {
    ContactFileContents contents;
    std::string_view text = bytes;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::vector<LogicalLine> lines = logicalLines(text);
    // Lines that name their own charset do not count: a GBK field so marked leaves the rest UTF-8.
    const bool utf8File = std::all_of(lines.begin(), lines.end(), [](const LogicalLine& line) {
        return headHas(line.text, "CHARSET=") || isValidUtf8(line.text);
    });
    CardBuilder card;
    bool inJunk = false;
    for (const LogicalLine& line : lines) {
        const std::optional<Property> property = propertyOf(line.text, utf8File);
        const bool begins = property && property->name == "BEGIN" && upperAscii(property->value).starts_with("VCARD");
        const bool ends = property && property->name == "END" && upperAscii(property->value).starts_with("VCARD");
        if (begins) {
            if (card.open()) card.finish(contents);  // END missing: the card ends where the next begins
            card.begin(line.line);
        } else if (ends && card.open()) {
            card.finish(contents);
        } else if (card.open()) {
            if (property) card.take(*property);
        } else if (!cleanContactText(line.text).empty() && !inJunk) {
            contents.skip(line.line, "不是名片内容");
        }
        inJunk = !card.open() && !begins && !ends && !cleanContactText(line.text).empty();
    }
    if (card.open()) card.finish(contents);
    return contents;
}

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == ',' || c == ';') out += '\\';
        if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string contactVcardText(const std::vector<Contact>& contacts) {
    std::string text;
    for (const Contact& contact : contacts) {
        const std::string name = escaped(contact.name);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nN:" + name + ";;;;\r\n";
        for (const std::string& number : contact.numbers) text += "TEL;TYPE=VOICE:" + escaped(number) + "\r\n";
        if (!contact.company.empty()) text += "ORG:" + escaped(contact.company) + "\r\n";
        text += "END:VCARD\r\n";
    }
    return text;
}

}  // namespace tapelink
