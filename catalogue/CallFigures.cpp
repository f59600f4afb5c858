#include "catalogue/CallFigures.h"

#include <map>
#include <tuple>

#include "recording/CallDirection.h"
#include "recording/DisplayText.h"

namespace tapelink {

bool callClassOf(const CatalogueRecord& record, CallClass& out) {
    if (!record.hasInfo || (record.state != RecordState::Present && record.state != RecordState::Changed)) {
        return false;
    }
    return callClassOf(record.kind.size() == 1 ? record.kind[0] : '\0', record.direction, out);
}

bool callClassOf(char kind, int direction, CallClass& out) {
    switch (kind) {
        case 'A':
        case 'I':
            out = direction == static_cast<int>(CallDirection::Caller) ? CallClass::Outgoing : CallClass::Incoming;
            return true;
        case 'C':
        case 'K':
            out = CallClass::Message;
            return true;
        case 'B':
        case 'J':
            out = CallClass::Local;
            return true;
        default:
            return false;
    }
}

CallFigureRows callFiguresOf(const std::vector<CatalogueRecord>& records, const std::string& fromKey,
                             const std::string& toKey) {
    std::map<std::pair<std::string, CallClass>, DayCallFigures> days;
    std::map<std::pair<std::string, bool>, NumberCallFigures> numbers;
    for (const CatalogueRecord& record : records) {
        CallClass callClass{};
        if (!callClassOf(record, callClass) || record.startKey < fromKey || record.startKey > toKey) continue;
        const std::int64_t seconds = durationSeconds(static_cast<std::int64_t>(record.size));
        DayCallFigures& day = days[{record.startKey.substr(0, 6), callClass}];
        day.day = record.startKey.substr(0, 6);
        day.callClass = callClass;
        ++day.count;
        day.seconds += seconds;
        if (callClass == CallClass::Local) continue;
        const bool outgoing = callClass == CallClass::Outgoing;
        NumberCallFigures& number = numbers[{record.phoneNumber, outgoing}];
        number.number = record.phoneNumber;
        number.outgoing = outgoing;
        ++number.count;
        number.seconds += seconds;
    }
    CallFigureRows rows;
    for (auto& [key, day] : days) rows.days.push_back(std::move(day));
    for (auto& [key, number] : numbers) rows.numbers.push_back(std::move(number));
    return rows;
}

}  // namespace tapelink
