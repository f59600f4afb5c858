#include "sharing/ShareIndex.h"

#include "export/SheetLayout.h"

namespace tapelink {

TextTable shareIndexTable(const std::vector<ShareItem>& items, const std::vector<std::string>& names) {
    // The exporter leaves the last two list columns out (the size and the path), so the share name goes in
    // just before them and is exported with the search's own columns.
    const auto& columns = searchColumns();
    const int exported = exportedColumnCount(static_cast<int>(columns.size()));
    std::vector<std::string> titles;
    for (int column = 0; column < exported; ++column)
        titles.emplace_back(columns[static_cast<std::size_t>(column)].title);
    titles.emplace_back(kShareNameTitle);
    for (std::size_t column = static_cast<std::size_t>(exported); column < columns.size(); ++column) {
        titles.emplace_back(columns[column].title);
    }

    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> contactNames;
    std::vector<std::string> remarks;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const SearchResultRow& row = items[i].row;
        std::vector<std::string> cells(row.begin(), row.begin() + exported);
        cells[0] = std::to_string(i + 1);
        cells.push_back(i < names.size() ? names[i] : std::string());
        cells.insert(cells.end(), row.begin() + exported, row.end());
        rows.push_back(std::move(cells));
        contactNames.push_back(row.name);
        remarks.push_back(row.remark);
    }
    TextTable table(std::move(titles), std::move(rows));
    table.setNamesAndRemarks(std::move(contactNames), std::move(remarks));
    return table;
}

}  // namespace tapelink
