#pragma once

#include "app/ui/ArchiveCommandContext.h"

namespace tapelink {

struct ArchiveWorkResult;
struct VerifyReport;

// "校验存档": every archived file hashed again on the worker against the catalogue, and what differs listed.
class ArchiveVerifyCommand {
public:
    explicit ArchiveVerifyCommand(const ArchiveCommandContext& context) : m_context(context) {}

    void run();

private:
    void showResult(const ArchiveWorkResult& result, const VerifyReport& report);

    ArchiveCommandContext m_context;
};

}  // namespace tapelink
