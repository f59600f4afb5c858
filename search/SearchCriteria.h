#pragma once

#include <compare>
#include <string>

namespace tapelink {

// Side of the call chosen in the search: the drop-down's item index.
enum class SideChoice { All = 0, Caller = 1, Called = 2 };

// Kind of recording chosen in the search: the drop-down's item index.
enum class KindChoice { All = 0, Call = 1, Message = 2, Local = 3 };

// A date picker's value: a calendar date with the time of day.
struct SearchDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    auto operator<=>(const SearchDateTime&) const = default;
};

// The criteria of one search, read from the controls (or the command line) at the start of the search.
struct SearchCriteria {
    SearchDateTime from{2010, 3, 1, 0, 0, 0};
    SearchDateTime to;
    SideChoice side = SideChoice::All;
    KindChoice kind = KindChoice::All;
    std::string number;    // empty: any number; else a part of the number or, see isNameText, of a contact's name
    std::string noteText;  // empty: any note; else a part of the note or of a tag, ignoring case

    bool operator==(const SearchCriteria&) const = default;
};

// The oldest and newest dates a start key can stand for: the key keeps only two year digits, century 20.
inline constexpr SearchDateTime kEarliestSearchDate{2000, 1, 1, 0, 0, 0};
inline constexpr SearchDateTime kLatestSearchDate{2099, 12, 31, 23, 59, 59};
inline constexpr std::size_t kMaxNumberLength = 16;

// Start keys are compared with these bounds as strings: the start day from 00:00, the end day up to 23:59.
std::string startBound(const SearchDateTime& from);
std::string endBound(const SearchDateTime& to);

// The number, side and kind tests of the search on one recording.
bool matchesNumber(const std::string& phoneNumber, const std::string& number);
// A number text without digits, or with a letter or a Chinese character beside its digits, names a
// contact (and is still looked for in the numbers).
bool isNameText(const std::string& number);
bool matchesSide(int direction, SideChoice side);
bool matchesKind(const std::string& fileName, KindChoice kind);

}  // namespace tapelink
