#pragma once

#include <string>
#include <vector>

#include "common/IListTexts.h"

namespace tapelink {

// A list's titles and cell texts held in memory, for exporting lists that no window shows
// (the command-line tool) and for tests. A missing cell reads as empty text.
class TextTable : public IListTexts {
public:
    TextTable(std::vector<std::string> titles, std::vector<std::vector<std::string>> rows)
        : m_titles(std::move(titles)), m_rows(std::move(rows)) {}

    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    int columnCount() const override { return static_cast<int>(m_titles.size()); }
    std::string columnTitle(int column) const override { return at(m_titles, column); }
    std::string cellText(int row, int column) const override {
        return row >= 0 && row < rowCount() ? at(m_rows[static_cast<std::size_t>(row)], column) : std::string();
    }
    std::string nameText(int row) const override { return at(m_names, row); }
    std::string remarkText(int row) const override { return at(m_remarks, row); }
    // One name and one remark per row, in row order.
    void setNamesAndRemarks(std::vector<std::string> names, std::vector<std::string> remarks) {
        m_names = std::move(names);
        m_remarks = std::move(remarks);
    }

private:
    static std::string at(const std::vector<std::string>& texts, int index) {
        return index >= 0 && index < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(index)]
                                                                    : std::string();
    }

    std::vector<std::string> m_titles;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::string> m_names;
    std::vector<std::string> m_remarks;
};

}  // namespace tapelink
