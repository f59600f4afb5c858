#pragma once

#include <string>
#include <string_view>

namespace tapelink::cli {

// A cell's text as it may reach a terminal, a script or a JSON document: valid UTF-8 passes through; each
// byte that is not part of valid UTF-8 and each control character (tab, line break, escape, DEL and the C1
// range) becomes U+FFFD. A cell then never splits a row, never moves the terminal's cursor, and always
// encodes.
std::string cellText(std::string_view text);
// The same, appended to out.
void appendCellText(std::string& out, std::string_view text);

}  // namespace tapelink::cli
