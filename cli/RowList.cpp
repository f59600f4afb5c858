#include "cli/RowList.h"

#include <algorithm>
#include <charconv>

namespace tapelink::cli {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool parseNumber(const std::string& text, long& number) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

}  // namespace

bool parseRowList(const std::string& text, int rowCount, std::vector<int>& rows, std::string& error) {
    rows.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = trimmed(text.substr(start, comma - start));
        start = comma + 1;

        const std::size_t dash = item.find('-', 1);
        long first = 0;
        long last = 0;
        const bool parsed = dash == std::string::npos ? parseNumber(item, first) && (last = first, true)
                                                      : parseNumber(trimmed(item.substr(0, dash)), first) &&
                                                            parseNumber(trimmed(item.substr(dash + 1)), last);
        if (!parsed || first > last) {
            error = "不是行号或行号范围：“" + item + "”";
            return false;
        }
        for (const long number : {first, last}) {
            if (number < 1 || number > rowCount) {
                error = "第 " + std::to_string(number) + " 行不在列表中" +
                        (rowCount > 0 ? "（只有第 1 到 " + std::to_string(rowCount) + " 行）"
                                      : std::string("（列表是空的）"));
                return false;
            }
        }
        for (long number = first; number <= last; ++number) rows.push_back(static_cast<int>(number - 1));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return true;
}

}  // namespace tapelink::cli
