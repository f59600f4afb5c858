#include "phone/PhoneIdentification.h"

namespace tapelink {

namespace {

// Disk attributes come padded with blanks and ended by a newline.
std::string normalizedWord(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    std::string word(text.substr(first, last - first + 1));
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == ' ') c = '_';
    }
    return word;
}

}  // namespace

std::string diskIdentification(std::string_view vendor, std::string_view model) {
    return "ven_" + normalizedWord(vendor) + "&prod_" + normalizedWord(model);
}

bool isPhoneIdentification(std::string_view identification) {
    return identification.find(kPhoneIdentificationFragment) != std::string_view::npos;
}

}  // namespace tapelink
