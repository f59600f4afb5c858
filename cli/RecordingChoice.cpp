#include "cli/RecordingChoice.h"

#include <algorithm>
#include <iostream>

#include "cli/CellText.h"
#include "cli/ExitStatus.h"
#include "cli/NonBlank.h"
#include "cli/RowList.h"

namespace tapelink::cli {

void RecordingChoice::addOptions(CLI::App* group, const std::string& listCommand, bool required) {
    m_listCommand = listCommand;
    auto* rows = group->add_option("--rows", m_rows, "Rows by their 序号 in `" + listCommand + "`, e.g. 1,3,7 or 2-5");
    auto* names =
        group->add_option("--names", m_names, "Recordings by their file names, e.g. VOA00001.WAV,VOC00003.WAV");
    rows->excludes(names);
    m_rowsOption = rows;
    m_namesOption = names;
    if (required) {
        group->require_option(1);
    }
}

std::optional<std::vector<int>> RecordingChoice::resolve(const std::vector<std::string>& listedNames, int renamed,
                                                         int& exitStatus) const {
    std::vector<int> rows;
    std::string error;
    if (m_rowsOption->count() > 0) {
        if (!parseRowList(m_rows, static_cast<int>(listedNames.size()), rows, error)) {
            std::cerr << "--rows：" << error << '\n';
            exitStatus = kExitUsage;
            return std::nullopt;
        }
        if (renamed > 0) {
            std::cerr << "电话机的列表已改变：读取时有 " << renamed
                      << " 个旧的 REC 文件被改名，行号可能已移动。未做任何操作；请重新运行 `tapelink-cli "
                      << m_listCommand << "` 再选择（或使用 --names）。\n";
            exitStatus = kExitMessage;
            return std::nullopt;
        }
        return rows;
    }
    std::vector<std::string> names;
    if (!parseNameList(m_names, names, error)) {
        std::cerr << "--names：" << error << '\n';
        exitStatus = kExitUsage;
        return std::nullopt;
    }
    for (const std::string& name : names) {
        const auto found = std::find(listedNames.begin(), listedNames.end(), name);
        if (found == listedNames.end()) {
            std::cerr << "--names：" << cellText(name) << " 不在 `tapelink-cli " << m_listCommand << "` 的列表中\n";
            exitStatus = kExitUsage;
            return std::nullopt;
        }
        rows.push_back(static_cast<int>(found - listedNames.begin()));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool parseNameList(const std::string& text, std::vector<std::string>& names, std::string& error) {
    names.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        if (item.empty()) {
            error = "“" + text + "”中有空的文件名";
            return false;
        }
        names.push_back(item);
    }
    return true;
}

}  // namespace tapelink::cli
