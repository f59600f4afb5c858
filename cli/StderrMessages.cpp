#include "cli/StderrMessages.h"

#include <iostream>

#include "cli/CellText.h"

namespace tapelink::cli {

void StderrMessages::showMessage(const std::string& text, MessageIcon) {
    ++m_count;
    // Messages name files: a name must not reach the terminal as an escape sequence.
    std::cerr << cellText(text) << '\n';
}

}  // namespace tapelink::cli
