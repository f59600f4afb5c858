#include <gtest/gtest.h>

#include <algorithm>

#include "platform/SqliteCatalogueOpener.h"
#include "statistics/CallStatisticsQuery.h"
#include "tests/support/CatalogueCall.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

CatalogueRecord row(const std::string& name, int direction, const std::string& number, const std::string& start,
                    std::uint64_t size) {
    return catalogueCall(name, direction, number, start, size);
}

// Seconds as the lists show them: a 512-byte header, then 4000 bytes a second.
constexpr std::uint64_t bytesOf(std::uint64_t seconds) {
    return 512 + 4000 * seconds;
}

// A hand-counted archive: a call on the last evening of 2024, one on New Year's Day, a voice message at
// 23:59 on the last day of January, a local recording on 1 February and a call on 28 February; a row whose
// file is gone and one without metadata do not count.
class CallStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        opening = opener.open(folder.path(), CatalogueAccess::ReadWrite);
        ASSERT_NE(opening.catalogue, nullptr);
        CatalogueChanges changes;
        changes.upserts = {row("VOA00001.WAV", 'Z', "13800000001", "2412311830", bytesOf(60)),
                           row("VOI00002.WAV", 'B', "13800000002", "2501010900", bytesOf(30) + 20),
                           row("VOC00003.WAV", 'Z', "13800000002", "2501312359", bytesOf(10)),
                           row("VOB00004.WAV", 'Z', "", "2502010000", 100),
                           row("VOA00005.WAV", 'Z', "13800000001", "2502281200", bytesOf(120)),
                           row("VOA00006.WAV", 'Z', "13800000001", "2501011000", bytesOf(5)),
                           row("VOA00007.WAV", 'Z', "13800000001", "2501011100", bytesOf(5))};
        changes.upserts[6].hasInfo = false;
        changes.missing = {"VOA00006.WAV"};
        ASSERT_EQ(opening.catalogue->apply(changes), CatalogueStatus::Ok);
        Contact contact{0, "张三", {"138 0000 0001"}, ""};
        ASSERT_EQ(opening.phonebook->save(contact), CatalogueStatus::Ok);
    }

    CallStatistics statistics(SearchDateTime from, SearchDateTime to, StatisticsGrouping grouping) {
        CallStatistics out;
        EXPECT_EQ(readCallStatistics(*opening.catalogue, opening.phonebook.get(), {from, to, grouping}, out),
                  CatalogueStatus::Ok);
        return out;
    }

    static std::vector<std::string> labels(const CallStatistics& statistics) {
        std::vector<std::string> out;
        for (const PeriodFigures& period : statistics.periods) out.push_back(period.label);
        return out;
    }

    TempFolder folder;
    SqliteCatalogueOpener opener;
    CatalogueOpening opening;
};

TEST_F(CallStatisticsTest, MonthsEndWithTheirLastMinuteAndYearsTurn) {
    const CallStatistics months = statistics({2024, 12, 1}, {2025, 3, 31}, StatisticsGrouping::Month);
    ASSERT_EQ(labels(months), (std::vector<std::string>{"2024-12", "2025-01", "2025-02"}));
    EXPECT_EQ(months.periods[0].outgoing(), 1);
    EXPECT_EQ(months.periods[0].totalSeconds(), 60);
    EXPECT_EQ(months.periods[1].count(), 2);
    EXPECT_EQ(months.periods[1].incoming(), 2);  // a call taken and a voice message
    EXPECT_EQ(months.periods[1].countOf(CallClass::Message), 1);
    EXPECT_EQ(months.periods[1].totalSeconds(), 31 + 10);  // 20 bytes over a second count as one more
    EXPECT_EQ(months.periods[2].countOf(CallClass::Local), 1);
    EXPECT_EQ(months.periods[2].totalSeconds(), 1 + 120);  // a file shorter than its header counts one second
    EXPECT_EQ(months.totals.count(), 5);
    EXPECT_EQ(months.totals.totalSeconds(), 60 + 31 + 10 + 1 + 120);
}

TEST_F(CallStatisticsTest, WeeksStartOnMondayAcrossYearAndMonthEnds) {
    const CallStatistics weeks = statistics({2024, 12, 1}, {2025, 3, 31}, StatisticsGrouping::Week);
    // 31 December 2024 is a Tuesday: its week began on Monday 30 December and holds New Year's Day.
    ASSERT_EQ(weeks.periods.size(), 9u);
    EXPECT_EQ(weeks.periods.front().label, "2024-12-30");
    EXPECT_EQ(weeks.periods.front().count(), 2);
    EXPECT_EQ(weeks.periods[4].label, "2025-01-27");  // Friday 31 January and Saturday 1 February
    EXPECT_EQ(weeks.periods[4].count(), 2);
    EXPECT_EQ(weeks.periods[1].count(), 0);  // weeks without calls keep their place
    EXPECT_EQ(weeks.periods.back().label, "2025-02-24");
}

TEST_F(CallStatisticsTest, EmptyRangeAndARangeOfOneCall) {
    const CallStatistics none = statistics({2023, 1, 1}, {2023, 12, 31}, StatisticsGrouping::Day);
    EXPECT_TRUE(none.periods.empty());
    EXPECT_EQ(none.totals.count(), 0);
    EXPECT_TRUE(none.numbers.empty());

    const CallStatistics one = statistics({2025, 1, 31}, {2025, 1, 31}, StatisticsGrouping::Day);
    ASSERT_EQ(labels(one), std::vector<std::string>{"2025-01-31"});
    EXPECT_EQ(one.totals.count(), 1);
    EXPECT_EQ(one.totals.totalSeconds(), 10);
}

TEST_F(CallStatisticsTest, NumbersMostCalledAndCallingWithContactNames) {
    const CallStatistics all = statistics({2024, 1, 1}, {2025, 12, 31}, StatisticsGrouping::Month);
    const std::vector<NumberFigures> called = mostCalled(all.numbers, 10);
    ASSERT_EQ(called.size(), 1u);
    EXPECT_EQ(called[0].number, "13800000001");
    EXPECT_EQ(called[0].name, "张三");
    EXPECT_EQ(called[0].outgoingCount, 2);
    EXPECT_EQ(called[0].outgoingSeconds, 180);
    const std::vector<NumberFigures> calling = mostCalling(all.numbers, 10);
    ASSERT_EQ(calling.size(), 1u);
    EXPECT_EQ(calling[0].number, "13800000002");
    EXPECT_EQ(calling[0].incomingCount, 2);
    EXPECT_EQ(calling[0].incomingSeconds, 41);
}

// The SQL grouping and the one any other store falls back to count the same rows the same way.
TEST_F(CallStatisticsTest, StoreGroupingAgreesWithTheRowByRowCount) {
    CallFigureRows grouped;
    ASSERT_EQ(opening.catalogue->callFigures("2412010000", "2503312359", grouped), CatalogueStatus::Ok);
    std::vector<CatalogueRecord> records;
    ASSERT_EQ(opening.catalogue->liveRecords(records), CatalogueStatus::Ok);
    CallFigureRows counted = callFiguresOf(records, "2412010000", "2503312359");
    const auto byDay = [](const DayCallFigures& a, const DayCallFigures& b) {
        return std::tie(a.day, a.callClass) < std::tie(b.day, b.callClass);
    };
    const auto byNumber = [](const NumberCallFigures& a, const NumberCallFigures& b) {
        return std::tie(a.number, a.outgoing) < std::tie(b.number, b.outgoing);
    };
    for (CallFigureRows* rows : {&grouped, &counted}) {
        std::sort(rows->days.begin(), rows->days.end(), byDay);
        std::sort(rows->numbers.begin(), rows->numbers.end(), byNumber);
    }
    EXPECT_EQ(grouped.days.size(), 5u);
    EXPECT_EQ(grouped.days, counted.days);
    EXPECT_EQ(grouped.numbers, counted.numbers);
}

}  // namespace
