#include "catalogue/CallFigures.h"

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

void CallFigureTally::addDay(const std::string& day, CallClass callClass, std::int64_t count, std::int64_t seconds) {
    DayCallFigures& figures = m_days[{day, callClass}];
    figures.day = day;
    figures.callClass = callClass;
    figures.count += count;
    figures.seconds += seconds;
}

void CallFigureTally::addNumber(const std::string& number, CallClass callClass, std::int64_t count,
                                std::int64_t seconds) {
    if (callClass == CallClass::Local) return;
    const bool outgoing = callClass == CallClass::Outgoing;
    NumberCallFigures& figures = m_numbers[{number, outgoing}];
    figures.number = number;
    figures.outgoing = outgoing;
    figures.count += count;
    figures.seconds += seconds;
}

CallFigureRows CallFigureTally::rows() const {
    CallFigureRows rows;
    for (const auto& [key, day] : m_days) rows.days.push_back(day);
    for (const auto& [key, number] : m_numbers) rows.numbers.push_back(number);
    return rows;
}

CallFigureRows callFiguresOf(const std::vector<CatalogueRecord>& records, const std::string& fromKey,
                             const std::string& toKey) {
    CallFigureTally tally;
    for (const CatalogueRecord& record : records) {
        CallClass callClass{};
        if (!callClassOf(record, callClass) || record.startKey < fromKey || record.startKey > toKey) continue;
        const std::int64_t seconds = durationSeconds(static_cast<std::int64_t>(record.size));
        tally.addDay(record.startKey.substr(0, 6), callClass, 1, seconds);
        tally.addNumber(record.phoneNumber, callClass, 1, seconds);
    }
    return tally.rows();
}

}  // namespace tapelink
