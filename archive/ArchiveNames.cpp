#include "archive/ArchiveNames.h"

namespace tapelink {

namespace {

constexpr std::size_t kNameLength = 12;
constexpr std::size_t kStemLength = 8;  // the name without ".WAV"

bool isTelephoneName(const std::string& name) {
    return name.size() == kNameLength && (name.rfind("VO", 0) == 0 || name.rfind("REC", 0) == 0);
}

}  // namespace

std::string suffixedName(const std::string& name, int suffix) {
    // A telephone name's stem is its first eight characters, whatever its four last ones are.
    const std::size_t dot = name.rfind('.');
    const std::size_t stem = name.size() == kNameLength ? kStemLength : dot == std::string::npos ? name.size() : dot;
    return name.substr(0, stem) + "-" + std::to_string(suffix) + name.substr(stem);
}

bool isArchiveRecordingName(const std::string& name) {
    if (isTelephoneName(name)) return true;
    // stem + '-' + digits (no leading zero, at most 9) + the 4-character extension
    if (name.size() < kNameLength + 2 || name[kStemLength] != '-') return false;
    const std::size_t digitsEnd = name.size() - 4;
    const std::size_t digits = digitsEnd - (kStemLength + 1);
    if (digits > 9 || name[kStemLength + 1] == '0' || name[digitsEnd] != '.') return false;
    for (std::size_t i = kStemLength + 1; i < digitsEnd; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    if (digits == 1 && name[kStemLength + 1] == '1') return false;  // suffixes start at 2
    return isTelephoneName(name.substr(0, kStemLength) + name.substr(digitsEnd));
}

std::string compactNameOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".opus";
}

}  // namespace tapelink
