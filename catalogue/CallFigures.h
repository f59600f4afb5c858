#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalogue/CatalogueRecord.h"

namespace tapelink {

// How statistics count a recording: a call by its side, a voice message (always someone calling this
// telephone) or a local recording (no other party).
enum class CallClass { Outgoing = 0, Incoming = 1, Message = 2, Local = 3 };
inline constexpr int kCallClassCount = 4;

// Calls of one class on one day.
struct DayCallFigures {
    std::string day;  // YYMMDD, as the start key begins
    CallClass callClass = CallClass::Outgoing;
    std::int64_t count = 0;
    std::int64_t seconds = 0;  // the durations the lists show, added up

    bool operator==(const DayCallFigures&) const = default;
};

// Calls with one number on one side: this telephone calling it, or it calling (a call or a message).
struct NumberCallFigures {
    std::string number;
    bool outgoing = false;
    std::int64_t count = 0;
    std::int64_t seconds = 0;

    bool operator==(const NumberCallFigures&) const = default;
};

// The counts statistics are made of, over the recordings the archive holds (present or changed, with
// readable metadata) whose start key lies in [fromKey, toKey]. Unordered.
struct CallFigureRows {
    std::vector<DayCallFigures> days;
    std::vector<NumberCallFigures> numbers;
};

// The class of a row, false for a row statistics leave out (gone from the folder, no metadata, a kind
// letter that is no recording's).
bool callClassOf(const CatalogueRecord& record, CallClass& out);
// The class of a recording of this kind letter and direction; false for a letter that is no recording's.
bool callClassOf(char kind, int direction, CallClass& out);

// Groups of calls added up by day and class, and by number and side, as a backend reads them: the kind
// letters of one class (A and I, say) make one group, and local recordings have no number to count.
class CallFigureTally {
public:
    void addDay(const std::string& day, CallClass callClass, std::int64_t count, std::int64_t seconds);
    void addNumber(const std::string& number, CallClass callClass, std::int64_t count, std::int64_t seconds);
    CallFigureRows rows() const;

private:
    std::map<std::pair<std::string, CallClass>, DayCallFigures> m_days;
    std::map<std::pair<std::string, bool>, NumberCallFigures> m_numbers;
};

// The figures of rows as a backend without its own grouping makes them.
CallFigureRows callFiguresOf(const std::vector<CatalogueRecord>& records, const std::string& fromKey,
                             const std::string& toKey);

}  // namespace tapelink
