#pragma once

#include <chrono>
#include <string>

namespace tapelink {

enum class CategoryChoice { ByDate = 0, ByNumber = 1 };

// What the category dialog stores on every confirmation; only the chosen criterion is used.
struct CategoryCriteria {
    std::string numberText;  // at most 16 characters, as typed
    std::chrono::year_month_day date{};

    bool operator==(const CategoryCriteria&) const = default;
};

}  // namespace tapelink
