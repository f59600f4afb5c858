#pragma once

#include <chrono>

#include "platform/ISpreadsheetOpener.h"

namespace tapelink {

// The freedesktop way of opening a workbook, through one launcher whose answer is the verdict:
// `gio open` finds the default application of the file's type, starts it and exits, with status 0
// only when the start succeeded. There is no separate query beforehand, as its answer could differ
// from the launcher's.
class DesktopSpreadsheetOpener : public ISpreadsheetOpener {
public:
    // A launcher that has not answered after this long is taken as started: it may be waiting on an
    // application that takes its time to appear, and it keeps running in a session of its own.
    static constexpr std::chrono::milliseconds kDefaultAnswerTime{10000};

    explicit DesktopSpreadsheetOpener(std::chrono::milliseconds answerTime = kDefaultAnswerTime)
        : m_answerTime(answerTime) {}

    bool available() override;
    bool open(const std::string& path, std::string& error) override;

private:
    std::chrono::milliseconds m_answerTime;
};

}  // namespace tapelink
