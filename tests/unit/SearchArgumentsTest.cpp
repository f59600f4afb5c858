#include <gtest/gtest.h>

#include "cli/SearchArguments.h"
#include "search/SearchCriteria.h"

using namespace tapelink;
using namespace tapelink::cli;

TEST(SearchArgumentsTest, DatesWithAndWithoutTime) {
    EXPECT_EQ(parseSearchDate("2010-03-01"), (SearchDateTime{2010, 3, 1, 0, 0, 0}));
    EXPECT_EQ(parseSearchDate("2024-02-29 23:59"), (SearchDateTime{2024, 2, 29, 23, 59, 0}));
    EXPECT_EQ(parseSearchDate("2000-01-01 00:00:00"), (SearchDateTime{2000, 1, 1, 0, 0, 0}));
    EXPECT_EQ(parseSearchDate("2099-12-31 23:59:59"), (SearchDateTime{2099, 12, 31, 23, 59, 59}));
}

TEST(SearchArgumentsTest, RejectsDatesThatAreNotRealOrOutOfTheKeysCentury) {
    for (const char* text : {"",
                             "2010",
                             "2010-3-1",
                             "2010-03-01 ",
                             "2010-03-01T10:00",
                             "2010-03-01 9:00",
                             "2010-03-01 10:00:",
                             "2010-03-01 10:00:00 ",
                             "2010-03-01 10",
                             "2023-02-29",
                             "2100-02-29",
                             "2010-13-01",
                             "2010-00-10",
                             "2010-04-31",
                             "2010-03-01 24:00",
                             "2010-03-01 23:60",
                             "2010-03-01 23:59:60",
                             "1999-12-31",
                             "2100-01-01",
                             "+010-03-01",
                             "２010-03-01"}) {
        EXPECT_FALSE(parseSearchDate(text).has_value()) << text;
    }
}

TEST(SearchArgumentsTest, SideAndKindWords) {
    EXPECT_EQ(parseSide("all"), SideChoice::All);
    EXPECT_EQ(parseSide("caller"), SideChoice::Caller);
    EXPECT_EQ(parseSide("called"), SideChoice::Called);
    EXPECT_FALSE(parseSide("Caller").has_value());
    EXPECT_EQ(parseKind("all"), KindChoice::All);
    EXPECT_EQ(parseKind("call"), KindChoice::Call);
    EXPECT_EQ(parseKind("message"), KindChoice::Message);
    EXPECT_EQ(parseKind("local"), KindChoice::Local);
    EXPECT_FALSE(parseKind("").has_value());
}

TEST(SearchArgumentsTest, BoundsKeepTwoYearDigitsAndTheWholeDay) {
    EXPECT_EQ(startBound({2010, 3, 1, 17, 45, 12}), "1003010000");
    EXPECT_EQ(endBound({2010, 3, 1, 0, 0, 0}), "1003012359");
    EXPECT_EQ(endBound({2009, 12, 31, 8, 0, 0}), "0912312359");
}
