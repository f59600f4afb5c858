#include "cli/SearchRowPrinter.h"

namespace tapelink::cli {

// A search only appends, so the position is always the end.
void SearchRowPrinter::insertRow(int, SearchResultRow row) {
    if (m_withName) {
        std::array<std::string, kSearchColumnCount + 1> named;
        std::move(row.begin(), row.end(), named.begin());
        named.back() = std::move(row.name);
        m_writer.write(named);
    } else {
        m_writer.write(row);
    }
    ++m_count;
}

}  // namespace tapelink::cli
