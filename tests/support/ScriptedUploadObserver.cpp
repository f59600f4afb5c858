#include "tests/support/ScriptedUploadObserver.h"

namespace tapelink::test {

namespace {

void note(ScriptedUploadObserver& observer, std::string line) {
    observer.events.push_back(line);
    if (observer.onEvent) observer.onEvent(line);
}

}  // namespace

std::string ScriptedUploadObserver::fileNameOfRow(int row) {
    return row >= 0 && row < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(row)] : std::string();
}

void ScriptedUploadObserver::setStatusText(const std::string& statusText) {
    note(*this, "status:" + statusText);
}

void ScriptedUploadObserver::setProgressRange(int maximum) {
    note(*this, "range:" + std::to_string(maximum));
}

void ScriptedUploadObserver::setProgressPosition(int position) {
    note(*this, "position:" + std::to_string(position));
}

void ScriptedUploadObserver::setProgressVisible(bool visible) {
    note(*this, visible ? "visible:1" : "visible:0");
}

void ScriptedUploadObserver::showMessage(const std::string& text, MessageIcon) {
    note(*this, "message:" + text);
}

OverwriteDecision ScriptedUploadObserver::askOverwrite(const std::string& promptText) {
    note(*this, "ask:" + promptText);
    if (answers.empty()) return OverwriteDecision::No;
    const OverwriteDecision answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedUploadObserver::bytesCopied(std::uint64_t count) {
    bytes += count;
    if (onBytes) onBytes(count);
}

std::vector<std::string> ScriptedUploadObserver::lines(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const auto& line : events) {
        if (line.rfind(prefix, 0) == 0) result.push_back(line.substr(prefix.size()));
    }
    return result;
}

}  // namespace tapelink::test
