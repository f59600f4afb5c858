#include "cli/SearchRowPrinter.h"

namespace tapelink::cli {

// A search only appends, so the position is always the end.
void SearchRowPrinter::insertRow(int, SearchResultRow row) {
    m_writer.write(row);
    ++m_count;
}

}  // namespace tapelink::cli
