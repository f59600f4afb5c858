#pragma once

#include <string>

#include "common/IMessageSink.h"

namespace tapelink::cli {

// Prints the system's messages on stderr and remembers that one was shown.
class StderrMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon icon) override;
    bool anyShown() const { return m_count > 0; }

private:
    int m_count = 0;
};

}  // namespace tapelink::cli
