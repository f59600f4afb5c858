#include "cli/SearchRowCollector.h"

#include <algorithm>
#include <iterator>

namespace tapelink::cli {

void SearchRowCollector::insertRow(int position, SearchResultRow row) {
    const auto at = std::clamp(position, 0, rowCount());
    auto& cells =
        *m_rows.emplace(m_rows.begin() + at, std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
    cells.push_back(std::move(row.name));
}

}  // namespace tapelink::cli
