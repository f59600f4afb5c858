#include "contacts/ContactCsv.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "contacts/ContactDirectory.h"

namespace tapelink {

namespace {

struct Record {
    int line = 0;
    std::vector<std::string> cells;
    bool unterminated = false;
};

// Reads records one after the other, counting lines as it goes.
class CsvReader {
public:
    CsvReader(std::string_view text, char delimiter) : m_text(text), m_delimiter(delimiter) {}

    bool next(Record& record) {
        if (m_at >= m_text.size()) return false;
        record = {m_line, {std::string()}, false};
        bool quoted = false;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            std::string& cell = record.cells.back();
            if (quoted) {
                if (c == '"' && m_at < m_text.size() && m_text[m_at] == '"') {
                    cell += '"';
                    ++m_at;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    if (c == '\n') ++m_line;
                    cell += c;
                }
            } else if (c == '"' && cell.find_first_not_of(' ') == std::string::npos) {
                cell.clear();
                quoted = true;
            } else if (c == m_delimiter) {
                record.cells.emplace_back();
            } else if (c == '\n' || c == '\r') {
                if (c == '\r' && m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
                ++m_line;
                return true;
            } else {
                cell += c;
            }
        }
        record.unterminated = quoted;
        return true;
    }

private:
    std::string_view m_text;
    char m_delimiter;
    std::size_t m_at = 0;
    int m_line = 1;
};

char delimiterOf(std::string_view text) {
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    char best = ',';
    std::ptrdiff_t most = 0;
    for (const char candidate : {',', '\t', ';'}) {
        const std::ptrdiff_t count = std::count(firstLine.begin(), firstLine.end(), candidate);
        if (count > most) {
            most = count;
            best = candidate;
        }
    }
    return best;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool containsAny(const std::string& text, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return text.find(word) != std::string::npos; });
}

// Columns named by a header row; false when the row names none of name and number.
bool columnsFromHeader(const std::vector<std::string>& cells, ContactCsvColumns& found) {
    // A header names columns; a row holding a phone number is data, whatever its texts say.
    const bool holdsNumber = std::any_of(cells.begin(), cells.end(), [](const std::string& cell) {
        return ContactDirectory::dialledDigits(cell).size() >= 5;
    });
    if (holdsNumber) return false;
    ContactCsvColumns header;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string cell = lowerAscii(cleanContactText(cells[i]));
        const int column = static_cast<int>(i);
        // Company first: "company name" names a company, not a person.
        if (containsAny(cell, {"单位", "公司", "company", "organization", "organisation"})) {
            if (header.company < 0) header.company = column;
        } else if (containsAny(cell, {"电话", "号码", "手机", "phone", "tel", "mobile", "number"})) {
            header.numbers.push_back(column);
        } else if (containsAny(cell, {"姓名", "名字", "联系人", "name"})) {
            if (header.name < 0) header.name = column;
        }
    }
    if (header.name < 0 && header.numbers.empty()) return false;
    if (found.name < 0) found.name = header.name;
    if (found.numbers.empty()) found.numbers = header.numbers;
    if (found.company < 0) found.company = header.company;
    return true;
}

// Without a header: name, number, company in this order, in the columns not given for something else.
void withDefaults(ContactCsvColumns& columns) {
    if (columns.name < 0 && columns.numbers.empty() && columns.company < 0) {
        columns = {0, {1}, 2};
        return;
    }
    auto freeColumn = [&] {
        int column = 0;
        while (column == columns.name || column == columns.company ||
               std::find(columns.numbers.begin(), columns.numbers.end(), column) != columns.numbers.end()) {
            ++column;
        }
        return column;
    };
    if (columns.name < 0) columns.name = freeColumn();
    if (columns.numbers.empty()) columns.numbers.push_back(freeColumn());
}

std::string cellAt(const std::vector<std::string>& cells, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                                          : std::string();
}

bool blank(const std::vector<std::string>& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const std::string& cell) { return cleanContactText(cell).empty(); });
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

ContactFileContents readContactCsv(const std::string& bytes, const ContactCsvColumns& given) {
    ContactFileContents contents;
    const std::string text = contactFileText(bytes);
    CsvReader reader(text, delimiterOf(text));
    ContactCsvColumns columns = given;
    Record record;
    bool first = true;
    while (reader.next(record)) {
        if (record.unterminated) {
            contents.skip(record.line, "引号未闭合");
            continue;
        }
        if (blank(record.cells)) continue;
        if (std::exchange(first, false) && columnsFromHeader(record.cells, columns)) continue;
        withDefaults(columns);
        Contact contact;
        contact.name = cellAt(record.cells, columns.name);
        for (const int column : columns.numbers) contact.numbers.push_back(cellAt(record.cells, column));
        contact.company = cellAt(record.cells, columns.company);
        contents.add(record.line, std::move(contact));
    }
    return contents;
}

std::string contactCsvText(const std::vector<Contact>& contacts) {
    std::string text = "\xEF\xBB\xBF姓名,电话号码,单位\r\n";
    for (const Contact& contact : contacts) {
        std::string numbers;
        for (const std::string& number : contact.numbers) numbers += (numbers.empty() ? "" : ",") + number;
        text += csvField(contact.name) + ',' + csvField(numbers) + ',' + csvField(contact.company) + "\r\n";
    }
    return text;
}

}  // namespace tapelink
