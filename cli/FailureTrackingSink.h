#pragma once

#include <string>

#include "common/IMessageSink.h"

namespace tapelink::cli {

// Passes every message on and remembers whether one reported a failure: every message but the one given
// as the command's normal end (such as "还原完毕！") does.
class FailureTrackingSink : public IMessageSink {
public:
    FailureTrackingSink(IMessageSink& target, std::string normalEnd = {})
        : m_target(target), m_normalEnd(std::move(normalEnd)) {}
    void showMessage(const std::string& text, MessageIcon icon) override {
        if (text != m_normalEnd) m_failed = true;
        m_target.showMessage(text, icon);
    }
    bool failed() const { return m_failed; }

private:
    IMessageSink& m_target;
    std::string m_normalEnd;
    bool m_failed = false;
};

}  // namespace tapelink::cli
