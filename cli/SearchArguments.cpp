#include "cli/SearchArguments.h"

#include <ctime>

namespace tapelink::cli {

namespace {

// Reads exactly `digits` decimal digits at `at`, moving `at` past them.
std::optional<int> readNumber(std::string_view text, std::size_t& at, std::size_t digits) {
    if (text.size() - at < digits) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += digits;
    return value;
}

bool expect(std::string_view text, std::size_t& at, char separator) {
    if (at >= text.size() || text[at] != separator) return false;
    ++at;
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<SearchDateTime> parseSearchDate(std::string_view text) {
    std::size_t at = 0;
    SearchDateTime date;
    const auto year = readNumber(text, at, 4);
    if (!year || !expect(text, at, '-')) return std::nullopt;
    const auto month = readNumber(text, at, 2);
    if (!month || !expect(text, at, '-')) return std::nullopt;
    const auto day = readNumber(text, at, 2);
    if (!day) return std::nullopt;
    date.year = *year;
    date.month = *month;
    date.day = *day;
    if (at < text.size()) {
        if (!expect(text, at, ' ')) return std::nullopt;
        const auto hour = readNumber(text, at, 2);
        if (!hour || !expect(text, at, ':')) return std::nullopt;
        const auto minute = readNumber(text, at, 2);
        if (!minute) return std::nullopt;
        date.hour = *hour;
        date.minute = *minute;
        if (at < text.size()) {
            if (!expect(text, at, ':')) return std::nullopt;
            const auto second = readNumber(text, at, 2);
            if (!second || at != text.size()) return std::nullopt;
            date.second = *second;
        }
    }
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > daysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    if (date.hour > 23 || date.minute > 59 || date.second > 59) return std::nullopt;
    if (date < kEarliestSearchDate || date > kLatestSearchDate) return std::nullopt;
    return date;
}

std::optional<SideChoice> parseSide(std::string_view text) {
    if (text == "all") return SideChoice::All;
    if (text == "caller") return SideChoice::Caller;
    if (text == "called") return SideChoice::Called;
    return std::nullopt;
}

std::optional<KindChoice> parseKind(std::string_view text) {
    if (text == "all") return KindChoice::All;
    if (text == "call") return KindChoice::Call;
    if (text == "message") return KindChoice::Message;
    if (text == "local") return KindChoice::Local;
    return std::nullopt;
}

SearchDateTime currentSearchDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace tapelink::cli
