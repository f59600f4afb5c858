#pragma once

#include <utility>
#include <vector>

#include "common/IListTexts.h"
#include "search/ISearchResultList.h"
#include "search/RecordingAnnotations.h"

namespace tapelink {

// A result list kept in memory, for the command line, tests and benchmarks.
class SearchResultTable : public ISearchResultList, public IListTexts {
public:
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    void clearRows() override { m_rows.clear(); }
    void insertRow(int position, SearchResultRow row) override;
    void appendRows(std::vector<SearchResultRow> rows);
    // Removes the given rows (ascending, no repeats) in one pass; the other rows keep their texts.
    void removeRows(const std::vector<int>& ascendingRows);
    // Sets every row's name and remark (before an export, or after a note was changed); archiveFolder
    // is the folder of the annotations' catalogue.
    void fillNamesAndRemarks(RecordingAnnotations& annotations, const std::string& archiveFolder) {
        annotations.annotate(m_rows, archiveFolder);
    }

    int columnCount() const override { return static_cast<int>(kSearchColumnCount); }
    std::string columnTitle(int column) const override;
    std::string cellText(int row, int column) const override;
    std::string nameText(int row) const override;
    std::string remarkText(int row) const override;

    const std::vector<SearchResultRow>& rows() const { return m_rows; }
    std::vector<SearchResultRow> takeRows() { return std::exchange(m_rows, {}); }

private:
    std::vector<SearchResultRow> m_rows;
};

}  // namespace tapelink
