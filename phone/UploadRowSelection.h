#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/IListTexts.h"

namespace tapelink {

// The phone-list columns the upload starters read.
inline constexpr int kFileNameColumn = 1;
inline constexpr int kPhoneNumberColumn = 3;
inline constexpr int kStartTimeColumn = 5;

// Row indices in ascending list order. A cell matches when it is not empty and contains the text;
// texts are UTF-8, so a match never starts inside a character.
std::vector<int> allRows(const IListTexts& list);
std::vector<int> rowsContaining(const IListTexts& list, int column, const std::string& text);

// "2011-05-18"
std::string dateText(std::chrono::year_month_day date);

std::vector<int> rowsOfDate(const IListTexts& list, std::chrono::year_month_day date);
std::vector<int> rowsOfNumber(const IListTexts& list, const std::string& numberText);

}  // namespace tapelink
