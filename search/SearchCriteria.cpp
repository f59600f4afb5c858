#include "search/SearchCriteria.h"

#include <algorithm>
#include <cstdio>

#include "recording/CallDirection.h"

namespace tapelink {

namespace {

std::string dayBound(const SearchDateTime& date, const char* timeOfDay) {
    char bound[16];
    std::snprintf(bound, sizeof bound, "%02d%02d%02d%s", date.year - 2000, date.month, date.day, timeOfDay);
    return bound;
}

}  // namespace

std::string startBound(const SearchDateTime& from) {
    return dayBound(from, "0000");
}

std::string endBound(const SearchDateTime& to) {
    return dayBound(to, "2359");
}

bool matchesNumber(const std::string& phoneNumber, const std::string& number) {
    return number.empty() || phoneNumber.find(number) != std::string::npos;
}

bool isNameText(const std::string& number) {
    if (number.empty()) return false;
    if (number.find_first_of("0123456789") == std::string::npos) return true;
    // Digits with a letter or a Chinese character are a name such as 张三2; punctuation keeps a number.
    return std::any_of(number.begin(), number.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
    });
}

bool matchesSide(int direction, SideChoice side) {
    switch (side) {
        case SideChoice::All:
            return true;
        case SideChoice::Caller:
            return direction == static_cast<int>(CallDirection::Caller);
        case SideChoice::Called:
            return direction == static_cast<int>(CallDirection::Called);
    }
    return false;
}

bool matchesKind(const std::string& fileName, KindChoice kind) {
    // The letter decides, whatever the name's prefix: a legacy REC name counts as a voice message.
    const char letter = fileName.size() > 2 ? fileName[2] : '\0';
    switch (kind) {
        case KindChoice::All:
            return true;
        case KindChoice::Call:
            return letter == 'A' || letter == 'I';
        case KindChoice::Message:
            return letter == 'C' || letter == 'K';
        case KindChoice::Local:
            return letter == 'B' || letter == 'J';
    }
    return false;
}

}  // namespace tapelink
