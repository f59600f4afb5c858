#include "sharing/ShareNameSet.h"

#include <algorithm>
#include <cctype>

#include "sharing/ShareFileName.h"

namespace tapelink {

std::string ShareNameSet::folded(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

void ShareNameSet::reserve(const std::string& name) {
    m_taken.insert(folded(name));
}

std::string ShareNameSet::claim(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
    const std::string stem = name.substr(0, name.size() - extension.size());
    std::string candidate = name;
    for (int number = 2; m_taken.count(folded(candidate)) != 0; ++number) {
        const std::string suffix = "_" + std::to_string(number);
        candidate = safeFileName(stem, kMaxShareNameBytes - suffix.size() - extension.size()) + suffix + extension;
    }
    m_taken.insert(folded(candidate));
    return candidate;
}

}  // namespace tapelink
