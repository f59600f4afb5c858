#include "cli/SearchRowCollector.h"

#include <algorithm>
#include <iterator>

namespace tapelink::cli {

void SearchRowCollector::insertRow(int position, SearchResultRow row) {
    const auto at = std::clamp(position, 0, rowCount());
    m_rows.emplace(m_rows.begin() + at, std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
}

}  // namespace tapelink::cli
