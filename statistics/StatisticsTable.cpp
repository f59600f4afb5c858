#include "statistics/StatisticsTable.h"

#include "recording/DisplayText.h"

namespace tapelink {

namespace {

std::string durationCell(std::int64_t seconds, DurationForm form) {
    return form == DurationForm::Seconds ? std::to_string(seconds) : secondsText(seconds);
}

std::string durationTitle(const std::string& title, DurationForm form) {
    return form == DurationForm::Seconds ? title + "(秒)" : title;
}

std::vector<std::string> periodRow(const PeriodFigures& period, DurationForm form) {
    return {period.label,
            std::to_string(period.count()),
            durationCell(period.totalSeconds(), form),
            std::to_string(period.outgoing()),
            std::to_string(period.incoming()),
            std::to_string(period.countOf(CallClass::Outgoing) + period.countOf(CallClass::Incoming)),
            std::to_string(period.countOf(CallClass::Message)),
            std::to_string(period.countOf(CallClass::Local))};
}

}  // namespace

std::vector<std::string> periodTitles(DurationForm form) {
    return {"周期", "次数", durationTitle("总时长", form), "主叫", "被叫", "通话录音", "留言录音", "本地录音"};
}

std::vector<std::vector<std::string>> periodRows(const CallStatistics& statistics, DurationForm form) {
    std::vector<std::vector<std::string>> rows;
    for (const PeriodFigures& period : statistics.periods) rows.push_back(periodRow(period, form));
    PeriodFigures totals = statistics.totals;
    totals.label = "合计";
    rows.push_back(periodRow(totals, form));
    return rows;
}

std::vector<std::string> numberTitles(DurationForm form) {
    return {"电话号码", "姓名",
            "主叫次数", durationTitle("主叫时长", form),
            "被叫次数", durationTitle("被叫时长", form),
            "合计次数", durationTitle("合计时长", form)};
}

std::vector<std::vector<std::string>> numberRows(const std::vector<NumberFigures>& numbers, DurationForm form) {
    std::vector<std::vector<std::string>> rows;
    for (const NumberFigures& number : numbers) {
        rows.push_back({number.number, number.name, std::to_string(number.outgoingCount),
                        durationCell(number.outgoingSeconds, form), std::to_string(number.incomingCount),
                        durationCell(number.incomingSeconds, form), std::to_string(number.count()),
                        durationCell(number.seconds(), form)});
    }
    return rows;
}

}  // namespace tapelink
