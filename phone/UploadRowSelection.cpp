#include "phone/UploadRowSelection.h"

#include <cstdio>

namespace tapelink {

std::vector<int> allRows(const IListTexts& list) {
    std::vector<int> rows;
    const int count = list.rowCount();
    rows.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int row = 0; row < count; ++row) rows.push_back(row);
    return rows;
}

std::vector<int> rowsContaining(const IListTexts& list, int column, const std::string& text) {
    std::vector<int> rows;
    const int count = list.rowCount();
    for (int row = 0; row < count; ++row) {
        const std::string cell = list.cellText(row, column);
        if (!cell.empty() && cell.find(text) != std::string::npos) rows.push_back(row);
    }
    return rows;
}

std::string dateText(std::chrono::year_month_day date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::vector<int> rowsOfDate(const IListTexts& list, std::chrono::year_month_day date) {
    return rowsContaining(list, kStartTimeColumn, dateText(date));
}

std::vector<int> rowsOfNumber(const IListTexts& list, const std::string& numberText) {
    return rowsContaining(list, kPhoneNumberColumn, numberText);
}

}  // namespace tapelink
