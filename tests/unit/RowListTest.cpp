#include <gtest/gtest.h>

#include "cli/RowList.h"

using tapelink::cli::parseRowList;

namespace {
std::optional<std::vector<int>> parse(const std::string& text, int rowCount) {
    std::vector<int> rows;
    std::string error;
    if (!parseRowList(text, rowCount, rows, error)) {
        EXPECT_FALSE(error.empty()) << text;
        return std::nullopt;
    }
    return rows;
}
}  // namespace

TEST(RowList, GivesZeroBasedAscendingRowsWithoutRepeats) {
    EXPECT_EQ(parse("3", 3), std::vector<int>{2});
    EXPECT_EQ(parse("3,1, 2 ,1", 3), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(parse("2-4,1", 5), (std::vector<int>{0, 1, 2, 3}));
}

TEST(RowList, RefusesRowsOutsideTheListAndMalformedText) {
    for (const char* text : {"", "0", "4", "-1", "1,", ",1", "1,,2", "x", "1.5", "2a", "99999999999", "3-2", "2-9"}) {
        EXPECT_EQ(parse(text, 3), std::nullopt) << text;
    }
    EXPECT_EQ(parse("1", 0), std::nullopt);
}
