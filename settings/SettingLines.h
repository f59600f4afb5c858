#pragma once

#include <functional>
#include <string>

namespace tapelink {

// Calls visit(key, value) for each "key=value" line of a settings file's text, in order. A line's trailing
// carriage return is dropped (a file edited on Windows) and a line without '=' is skipped; what the values
// may be is each file's own rule.
void forEachSettingLine(const std::string& text,
                        const std::function<void(const std::string& key, const std::string& value)>& visit);

}  // namespace tapelink
