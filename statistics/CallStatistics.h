#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/CallFigures.h"
#include "contacts/ContactDirectory.h"

namespace tapelink {

enum class StatisticsGrouping { Day, Week, Month };

// The calls of one period (or of all of them), by class.
struct PeriodFigures {
    std::string label;  // "2026-12-07" for a day and for the week that Monday starts, "2026-12" for a month
    std::array<std::int64_t, kCallClassCount> counts{};
    std::array<std::int64_t, kCallClassCount> seconds{};

    void add(CallClass callClass, std::int64_t count, std::int64_t duration);
    std::int64_t count() const;
    std::int64_t totalSeconds() const;
    std::int64_t countOf(CallClass callClass) const { return counts[static_cast<std::size_t>(callClass)]; }
    // "主叫": calls this telephone made; "被叫": calls and voice messages it took.
    std::int64_t outgoing() const { return countOf(CallClass::Outgoing); }
    std::int64_t incoming() const { return countOf(CallClass::Incoming) + countOf(CallClass::Message); }

    bool operator==(const PeriodFigures&) const = default;
};

// One number's calls both ways, with the name the phonebook gives it.
struct NumberFigures {
    std::string number;
    std::string name;  // empty when no single contact fits
    std::int64_t outgoingCount = 0;
    std::int64_t outgoingSeconds = 0;
    std::int64_t incomingCount = 0;  // calls and voice messages
    std::int64_t incomingSeconds = 0;

    std::int64_t count() const { return outgoingCount + incomingCount; }
    std::int64_t seconds() const { return outgoingSeconds + incomingSeconds; }
    bool operator==(const NumberFigures&) const = default;
};

struct CallStatistics {
    // Oldest first: every period from the first call's to the last call's, those without calls included,
    // so that a chart's bars stand at even steps of time. Empty when no call was counted.
    std::vector<PeriodFigures> periods;
    PeriodFigures totals;
    // Most calls first (then the longer time, then the number).
    std::vector<NumberFigures> numbers;
};

// Folds the catalogue's counts into periods (start keys are the telephone's local time; weeks start on
// Monday) and names the numbers. A day that is no calendar date is left out of periods and totals.
CallStatistics makeCallStatistics(const CallFigureRows& rows, StatisticsGrouping grouping,
                                  const ContactDirectory& contacts);

// The numbers this telephone called most (most calling: that called it most), at most limit of them.
std::vector<NumberFigures> mostCalled(const std::vector<NumberFigures>& numbers, std::size_t limit);
std::vector<NumberFigures> mostCalling(const std::vector<NumberFigures>& numbers, std::size_t limit);

}  // namespace tapelink
