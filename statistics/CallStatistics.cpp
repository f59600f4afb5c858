#include "statistics/CallStatistics.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

namespace tapelink {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

// The calendar day of "YYMMDD", century 20; nullopt for a day no calendar has.
std::optional<sys_days> dayOf(const std::string& key) {
    if (key.size() != 6 || !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const auto two = [&](std::size_t at) { return (key[at] - '0') * 10 + (key[at + 1] - '0'); };
    const year_month_day date{std::chrono::year{2000 + two(0)}, std::chrono::month{static_cast<unsigned>(two(2))},
                              std::chrono::day{static_cast<unsigned>(two(4))}};
    if (!date.ok()) return std::nullopt;
    return sys_days{date};
}

sys_days periodStart(sys_days day, StatisticsGrouping grouping) {
    switch (grouping) {
        case StatisticsGrouping::Day:
            return day;
        case StatisticsGrouping::Week:
            // iso_encoding: Monday 1 to Sunday 7.
            return day - std::chrono::days{std::chrono::weekday{day}.iso_encoding() - 1};
        case StatisticsGrouping::Month: {
            const year_month_day date{day};
            return sys_days{date.year() / date.month() / 1};
        }
    }
    return day;
}

sys_days nextPeriod(sys_days start, StatisticsGrouping grouping) {
    switch (grouping) {
        case StatisticsGrouping::Day:
            return start + std::chrono::days{1};
        case StatisticsGrouping::Week:
            return start + std::chrono::days{7};
        case StatisticsGrouping::Month: {
            const year_month_day date{start};
            return sys_days{(date.year() / date.month() + std::chrono::months{1}) / 1};
        }
    }
    return start;
}

std::string labelOf(sys_days start, StatisticsGrouping grouping) {
    const year_month_day date{start};
    char text[16];
    if (grouping == StatisticsGrouping::Month) {
        std::snprintf(text, sizeof text, "%04d-%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()));
    } else {
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    }
    return text;
}

// The numbers with calls of the kind count() counts, most first.
template <class Count, class Seconds>
std::vector<NumberFigures> topBy(const std::vector<NumberFigures>& numbers, std::size_t limit, Count count,
                                 Seconds seconds) {
    std::vector<NumberFigures> top;
    for (const NumberFigures& number : numbers) {
        if (count(number) > 0) top.push_back(number);
    }
    std::sort(top.begin(), top.end(), [&](const NumberFigures& a, const NumberFigures& b) {
        if (count(a) != count(b)) return count(a) > count(b);
        if (seconds(a) != seconds(b)) return seconds(a) > seconds(b);
        return a.number < b.number;
    });
    if (top.size() > limit) top.resize(limit);
    return top;
}

}  // namespace

void PeriodFigures::add(CallClass callClass, std::int64_t count, std::int64_t duration) {
    counts[static_cast<std::size_t>(callClass)] += count;
    seconds[static_cast<std::size_t>(callClass)] += duration;
}

std::int64_t PeriodFigures::count() const {
    std::int64_t total = 0;
    for (const std::int64_t value : counts) total += value;
    return total;
}

std::int64_t PeriodFigures::totalSeconds() const {
    std::int64_t total = 0;
    for (const std::int64_t value : seconds) total += value;
    return total;
}

CallStatistics makeCallStatistics(const CallFigureRows& rows, StatisticsGrouping grouping,
                                  const ContactDirectory& contacts) {
    CallStatistics statistics;
    std::map<sys_days, PeriodFigures> periods;
    for (const DayCallFigures& day : rows.days) {
        const std::optional<sys_days> date = dayOf(day.day);
        if (!date) continue;
        periods[periodStart(*date, grouping)].add(day.callClass, day.count, day.seconds);
        statistics.totals.add(day.callClass, day.count, day.seconds);
    }
    if (!periods.empty()) {
        const sys_days last = periods.rbegin()->first;
        for (sys_days start = periods.begin()->first; start <= last; start = nextPeriod(start, grouping)) {
            PeriodFigures& period = periods[start];
            period.label = labelOf(start, grouping);
            statistics.periods.push_back(period);
        }
    }

    std::unordered_map<std::string, std::size_t> indexOf;
    for (const NumberCallFigures& row : rows.numbers) {
        const auto [at, added] = indexOf.emplace(row.number, statistics.numbers.size());
        if (added) statistics.numbers.push_back({row.number, contacts.nameFor(row.number)});
        NumberFigures& number = statistics.numbers[at->second];
        (row.outgoing ? number.outgoingCount : number.incomingCount) += row.count;
        (row.outgoing ? number.outgoingSeconds : number.incomingSeconds) += row.seconds;
    }
    statistics.numbers = topBy(statistics.numbers, statistics.numbers.size(), std::mem_fn(&NumberFigures::count),
                               std::mem_fn(&NumberFigures::seconds));
    return statistics;
}

std::vector<NumberFigures> mostCalled(const std::vector<NumberFigures>& numbers, std::size_t limit) {
    return topBy(numbers, limit, std::mem_fn(&NumberFigures::outgoingCount),
                 std::mem_fn(&NumberFigures::outgoingSeconds));
}

std::vector<NumberFigures> mostCalling(const std::vector<NumberFigures>& numbers, std::size_t limit) {
    return topBy(numbers, limit, std::mem_fn(&NumberFigures::incomingCount),
                 std::mem_fn(&NumberFigures::incomingSeconds));
}

}  // namespace tapelink
