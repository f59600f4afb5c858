#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "phone/IUploadObserver.h"

namespace tapelink::test {

// An upload observer that writes down every call as a short line ("status:…", "range:3", "position:1",
// "visible:1", "message:…", "ask:…"), answers prompts from a script and serves file names from a list.
class ScriptedUploadObserver : public IUploadObserver {
public:
    std::string fileNameOfRow(int row) override;
    void setStatusText(const std::string& statusText) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void showMessage(const std::string& text, MessageIcon icon) override;
    OverwriteDecision askOverwrite(const std::string& promptText) override;
    void bytesCopied(std::uint64_t count) override;

    std::vector<std::string> lines(const std::string& prefix) const;  // the lines starting with prefix

    std::vector<std::string> names;         // column 1 of each row
    std::deque<OverwriteDecision> answers;  // No when it runs out
    std::vector<std::string> events;
    std::uint64_t bytes = 0;
    std::function<void(const std::string&)> onEvent;  // called after each event line is written
    std::function<void(std::uint64_t)> onBytes;
};

}  // namespace tapelink::test
