#pragma once

#include <vector>

#include "app/ui/ArchiveCommandContext.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

struct ArchiveWorkResult;
struct ClearingRule;

// "删除已存档录音": the telephone's recordings the archive verifiably holds are found on the worker, the user
// chooses the retention rule in a confirmation that counts them, and each is checked again right before it
// is removed from the telephone (on a team desk, also against what the team server says it holds).
class PhoneClearingCommand {
public:
    explicit PhoneClearingCommand(const ArchiveCommandContext& context) : m_context(context) {}

    void run();

private:
    void confirmClearing(const std::vector<RecordingEntry>& archived);
    void clearConfirmed(const std::vector<RecordingEntry>& archived, const ClearingRule& rule);

    ArchiveCommandContext m_context;
};

}  // namespace tapelink
