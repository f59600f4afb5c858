#include "cli/CellText.h"

namespace tapelink::cli {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at` with its code point, or 0 when the bytes there are not one.
// Overlong forms, surrogates and code points past U+10FFFF are not valid.
std::size_t sequenceAt(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(byte)) return 0;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

bool isControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

}  // namespace

void appendCellText(std::string& out, std::string_view text) {
    std::size_t at = 0;
    // Printable ASCII, nearly every cell, is copied as it is.
    while (at < text.size() && text[at] >= 0x20 && text[at] < 0x7F) ++at;
    out.append(text.substr(0, at));
    while (at < text.size()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, codePoint);
        if (length == 0 || isControl(codePoint)) {
            out += kReplacement;
            at += length == 0 ? 1 : length;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
}

std::string cellText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendCellText(out, text);
    return out;
}

}  // namespace tapelink::cli
