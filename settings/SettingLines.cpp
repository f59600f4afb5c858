#include "settings/SettingLines.h"

#include <sstream>

namespace tapelink {

void forEachSettingLine(const std::string& text,
                        const std::function<void(const std::string& key, const std::string& value)>& visit) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        visit(line.substr(0, equals), line.substr(equals + 1));
    }
}

}  // namespace tapelink
