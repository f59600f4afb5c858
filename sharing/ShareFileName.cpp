#include "sharing/ShareFileName.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tapelink {

namespace {

// The length of the UTF-8 sequence starting at text[at], or 0 when it is broken.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (lead == 0xE0 && second < 0xA0) return 0;
    if (lead == 0xED && second >= 0xA0) return 0;
    if (lead == 0xF0 && second < 0x90) return 0;
    if (lead == 0xF4 && second >= 0x90) return 0;
    return length;
}

bool forbidden(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

bool reservedOnWindows(std::string_view name) {
    // The device name counts with any extension ("nul.mp3" is the device too).
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper(stem);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

std::string trimmedEnd(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

std::string safeFileName(std::string_view text, std::size_t maxBytes) {
    std::string safe;
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') ++at;
    while (at < text.size()) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0 || (length == 1 && forbidden(text[at]))) {
            if (safe.size() + 1 > maxBytes) break;
            safe += '_';
            at += length == 0 ? 1 : length;
            continue;
        }
        if (safe.size() + length > maxBytes) break;
        safe.append(text.substr(at, length));
        at += length;
    }
    safe = trimmedEnd(std::move(safe));
    if (safe.empty()) safe = "_";
    if (reservedOnWindows(safe)) safe.insert(safe.begin(), '_');
    if (safe.size() > maxBytes) safe = trimmedEnd(safeFileName(safe.substr(0, maxBytes), maxBytes));
    return safe;
}

std::string readableShareName(const SearchResultRow& row, ShareFormat format) {
    // "2026-03-01 09:30" → "2026-03-01_0930".
    std::string when = row[5];
    std::replace(when.begin(), when.end(), ' ', '_');
    when.erase(std::remove(when.begin(), when.end(), ':'), when.end());
    const std::string& kind = row[2];
    std::string side = row[4];
    if (kind == "留言录音") side = "留言";
    if (kind == "本地录音") side = "本地";
    const std::string party = !row.name.empty() ? row.name : row[3];

    std::string stem;
    for (const std::string& part : {when, party, side}) {
        if (part.empty()) continue;
        if (!stem.empty()) stem += '_';
        stem += part;
    }
    if (stem.empty()) stem = row[1];
    const std::string extension = std::string(".") + shareExtension(format);
    return safeFileName(stem, kMaxShareNameBytes - extension.size()) + extension;
}

const char* shareExtension(ShareFormat format) {
    return format == ShareFormat::Mp3 ? "mp3" : "wav";
}

}  // namespace tapelink
