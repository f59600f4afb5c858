#pragma once

#include <string>

namespace tapelink {

enum class MessageIcon { Warning, Stop, None, Information };

// Where the core's user-facing messages go: message boxes in the GUI, stderr in the CLI, a list in tests.
// A call returns once the user has seen the message (a GUI box is dismissed).
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void showMessage(const std::string& text, MessageIcon icon = MessageIcon::Warning) = 0;
};

}  // namespace tapelink
