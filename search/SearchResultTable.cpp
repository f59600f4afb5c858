#include "search/SearchResultTable.h"

#include <algorithm>
#include <iterator>

namespace tapelink {

void SearchResultTable::insertRow(int position, SearchResultRow row) {
    const auto at = std::clamp(position, 0, rowCount());
    m_rows.insert(m_rows.begin() + at, std::move(row));
}

void SearchResultTable::appendRows(std::vector<SearchResultRow> rows) {
    if (m_rows.empty()) {
        m_rows = std::move(rows);
        return;
    }
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

void SearchResultTable::removeRows(const std::vector<int>& ascendingRows) {
    std::size_t next = 0;  // the next row to remove, in ascendingRows
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (next < ascendingRows.size() && static_cast<std::size_t>(ascendingRows[next]) == i) {
            ++next;
            continue;
        }
        if (kept != i) m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
}

std::string SearchResultTable::columnTitle(int column) const {
    if (column < 0 || column >= columnCount()) return {};
    return searchColumns()[static_cast<std::size_t>(column)].title;
}

std::string SearchResultTable::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::string SearchResultTable::nameText(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].name : std::string();
}

std::string SearchResultTable::remarkText(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].remark : std::string();
}

}  // namespace tapelink
