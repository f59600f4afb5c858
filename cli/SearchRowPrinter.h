#pragma once

#include "cli/TsvRowWriter.h"
#include "search/ISearchResultList.h"

namespace tapelink::cli {

// The search's result list printed as it fills: a search appends its rows in order, so each one is written
// when it arrives and none is kept. Rows already printed cannot be taken back; a search clears the list
// before its first row.
class SearchRowPrinter : public ISearchResultList {
public:
    // withName: the contact's name is printed as an extra last cell.
    explicit SearchRowPrinter(bool withName = false) : m_withName(withName) {}
    int rowCount() const override { return m_count; }
    void clearRows() override { m_count = 0; }
    void insertRow(int position, SearchResultRow row) override;

private:
    TsvRowWriter m_writer;
    int m_count = 0;
    bool m_withName;
};

}  // namespace tapelink::cli
