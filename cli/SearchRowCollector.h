#pragma once

#include <string>
#include <vector>

#include "search/ISearchResultList.h"

namespace tapelink::cli {

// The search's result list kept in the form printRows takes, so that rows are moved, never copied. Each row
// ends with the contact's name, after the nine cells.
class SearchRowCollector : public ISearchResultList {
public:
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    void clearRows() override { m_rows.clear(); }
    void insertRow(int position, SearchResultRow row) override;

    const std::vector<std::vector<std::string>>& rows() const { return m_rows; }

private:
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace tapelink::cli
