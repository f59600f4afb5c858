#pragma once

#include <string>
#include <vector>

#include "common/IMessageSink.h"

namespace tapelink::test {

// Keeps every message the core shows, in order.
class RecordingMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon icon) override;

    std::vector<std::string> texts;
    std::vector<MessageIcon> icons;
};

}  // namespace tapelink::test
