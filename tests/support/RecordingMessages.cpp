#include "tests/support/RecordingMessages.h"

namespace tapelink::test {

void RecordingMessages::showMessage(const std::string& text, MessageIcon icon) {
    texts.push_back(text);
    icons.push_back(icon);
}

}  // namespace tapelink::test
