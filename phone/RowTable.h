#pragma once

#include <vector>

#include "common/IListTexts.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// Recording-list texts held by value: a copy of what a window shows, for a worker to read without
// touching the window, or the rows a command-line tool has built.
class RowTable : public IListTexts {
public:
    RowTable() = default;
    explicit RowTable(std::vector<RecordingRow> rows) : m_rows(std::move(rows)) {}

    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    int columnCount() const override { return static_cast<int>(kRecordingColumnCount); }
    std::string columnTitle(int column) const override;
    // Empty for a cell outside the table.
    std::string cellText(int row, int column) const override;

    const std::vector<RecordingRow>& rows() const { return m_rows; }

private:
    std::vector<RecordingRow> m_rows;
};

}  // namespace tapelink
