#include <gtest/gtest.h>

#include "cli/RowListArgument.h"

using tapelink::cli::parseRowList;

TEST(RowListArgumentTest, GivesZeroBasedAscendingRowsWithoutRepeats) {
    EXPECT_EQ(parseRowList("3", 3), std::vector<int>{2});
    EXPECT_EQ(parseRowList("3,1, 2 ,1", 3), (std::vector<int>{0, 1, 2}));
}

TEST(RowListArgumentTest, RefusesRowsOutsideTheListAndMalformedText) {
    for (const char* text : {"", "0", "4", "-1", "1,", ",1", "1,,2", "x", "1.5", "2a", "99999999999"}) {
        EXPECT_EQ(parseRowList(text, 3), std::nullopt) << text;
    }
    EXPECT_EQ(parseRowList("1", 0), std::nullopt);
}
