#include "settings/ColumnWidthsFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>

#include "settings/SettingLines.h"
#include "settings/SettingsFileWrite.h"

namespace tapelink {

namespace {

// More than any file we write; a larger one is not ours.
constexpr std::streamsize kMaxFileBytes = 4096;
constexpr std::size_t kMaxColumns = 32;
// A width outside these is no drag a user made on a screen.
constexpr int kMinWidth = 1;
constexpr int kMaxWidth = 10000;

bool validName(const std::string& name) {
    if (name.empty() || name.size() > 32) return false;
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    }
    return true;
}

bool validWidths(const std::vector<int>& widths) {
    if (widths.empty() || widths.size() > kMaxColumns) return false;
    for (const int width : widths) {
        if (width < kMinWidth || width > kMaxWidth) return false;
    }
    return true;
}

// Every field a whole number, or nothing.
std::vector<int> parseWidths(const std::string& text) {
    std::vector<int> widths;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        int width = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + comma;
        const auto [end, error] = std::from_chars(first, last, width);
        if (first == last || error != std::errc() || end != last) return {};
        widths.push_back(width);
        start = comma + 1;
    }
    return validWidths(widths) ? widths : std::vector<int>();
}

}  // namespace

std::string columnWidthsFilePath(const std::string& profileFolder) {
    return profileFolder + "/columns.ini";
}

std::map<std::string, std::vector<int>> ColumnWidthsFile::parse(const std::string& text) {
    std::map<std::string, std::vector<int>> lists;
    forEachSettingLine(text, [&lists](const std::string& name, const std::string& value) {
        std::vector<int> widths = parseWidths(value);
        if (validName(name) && !widths.empty()) lists[name] = std::move(widths);
    });
    return lists;
}

std::string ColumnWidthsFile::format(const std::map<std::string, std::vector<int>>& lists) {
    std::string text;
    for (const auto& [name, widths] : lists) {
        text += name + '=';
        for (std::size_t i = 0; i < widths.size(); ++i) {
            if (i > 0) text += ',';
            text += std::to_string(widths[i]);
        }
        text += '\n';
    }
    return text;
}

void ColumnWidthsFile::Load(const std::string& path) {
    m_path = path;
    m_lists.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string text(static_cast<std::size_t>(kMaxFileBytes), '\0');
    in.read(text.data(), kMaxFileBytes);
    if (in.bad() || in.gcount() == kMaxFileBytes) return;
    text.resize(static_cast<std::size_t>(in.gcount()));
    m_lists = parse(text);
}

std::vector<int> ColumnWidthsFile::columnWidths(const std::string& list) const {
    const auto found = m_lists.find(list);
    return found == m_lists.end() ? std::vector<int>() : found->second;
}

bool ColumnWidthsFile::setColumnWidths(const std::string& list, const std::vector<int>& widths) {
    if (!validName(list) || !validWidths(widths)) return false;
    if (columnWidths(list) == widths) return true;
    m_lists[list] = widths;
    return replaceSettingsFile(m_path, format(m_lists));
}

}  // namespace tapelink
