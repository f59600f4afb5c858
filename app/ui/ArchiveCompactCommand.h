#pragma once

#include "app/ui/ArchiveCommandContext.h"

namespace tapelink {

struct ArchiveWorkResult;
struct CompactionReport;

// "压缩存档…": after a confirmation, the archived recordings converted on the worker under the archive's
// write lock, each original removed only once its converted copy is verified and recorded; then a summary.
class ArchiveCompactCommand {
public:
    explicit ArchiveCompactCommand(const ArchiveCommandContext& context) : m_context(context) {}

    void run();

private:
    void showResult(const ArchiveWorkResult& result, const CompactionReport& report);

    ArchiveCommandContext m_context;
};

}  // namespace tapelink
