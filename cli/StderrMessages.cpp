#include "cli/StderrMessages.h"

#include <iostream>

namespace tapelink::cli {

void StderrMessages::showMessage(const std::string& text, MessageIcon) {
    ++m_count;
    std::cerr << text << '\n';
}

}  // namespace tapelink::cli
