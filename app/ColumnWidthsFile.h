#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/IColumnWidthStore.h"

namespace tapelink {

// The lists' column widths in columns.ini beside config.ini (whose fixed-size record has no room for
// them), a line of comma-separated widths per list:
//   main=60,100,90,110,80,150,180,180,40,100
// A line that does not parse in full is passed over, so a damaged file gives the default widths.
class ColumnWidthsFile : public IColumnWidthStore {
public:
    // Remembers the path and reads the file; a missing or unreadable file stores nothing.
    void Load(const std::string& path);

    std::vector<int> columnWidths(const std::string& list) const override;
    // Writes the whole file anew, replacing the old one only once the new one is complete.
    bool setColumnWidths(const std::string& list, const std::vector<int>& widths) override;

    static std::map<std::string, std::vector<int>> parse(const std::string& text);
    static std::string format(const std::map<std::string, std::vector<int>>& lists);

private:
    std::map<std::string, std::vector<int>> m_lists;
    std::string m_path;
};

std::string columnWidthsFilePath(const std::string& profileFolder);

}  // namespace tapelink
