#include "export/SheetLayout.h"

#include <algorithm>

namespace tapelink {

namespace {

// Length of the UTF-8 sequence that starts with lead (a stray continuation byte counts alone).
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

}  // namespace

int exportedColumnCount(int columnCount) {
    return std::max(columnCount - kUnexportedColumns, 0);
}

std::string cutTitle(const std::string& title) {
    const std::size_t limit = kTitleBufferBytes - 1;
    std::size_t gbkBytes = 0;
    std::size_t at = 0;
    while (at < title.size()) {
        const auto lead = static_cast<unsigned char>(title[at]);
        const std::size_t width = lead < 0x80 ? 1 : 2;
        if (gbkBytes + width > limit) break;
        gbkBytes += width;
        at = std::min(at + sequenceLength(lead), title.size());
    }
    return title.substr(0, at);
}

std::string kindCellText(const std::string& kind, const std::string& number) {
    // UTF-8 never matches a character inside another one, so a plain search is a character search.
    const char* prefix = number.find("主") != std::string::npos ? "Z:" : " ";
    return prefix + kind;
}

}  // namespace tapelink
