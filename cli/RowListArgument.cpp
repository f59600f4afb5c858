#include "cli/RowListArgument.h"

#include <algorithm>
#include <charconv>

namespace tapelink::cli {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::vector<int>> parseRowList(const std::string& text, int rowCount) {
    std::vector<int> rows;
    std::string_view rest = text;
    for (;;) {
        const auto comma = rest.find(',');
        const std::string_view item = trimmed(rest.substr(0, comma));
        int number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (item.empty() || error != std::errc() || end != item.data() + item.size()) return std::nullopt;
        if (number < 1 || number > rowCount) return std::nullopt;
        rows.push_back(number - 1);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace tapelink::cli
