#pragma once

#include <string>

#include "app/ui/ArchiveCommandContext.h"

namespace tapelink {

struct ArchiveWorkResult;
struct OffloadReport;

// "上传新录音" and "插入电话机时自动上传新录音": the telephone's recordings the archive lacks, copied into the
// upload folder on the worker under the archive's write lock, then published to the team archive on a team
// desk.
class NewRecordingsUpload {
public:
    explicit NewRecordingsUpload(const ArchiveCommandContext& context);

    // automatic: on a telephone's arrival, which asks for no folder and reports only what went wrong.
    void run(bool automatic);
    // The menu item was toggled: the choice is kept.
    void onArrivalChoiceChanged(int id);
    // A telephone arrived and was scanned: uploads when the user asked for that.
    void phoneArrived();

private:
    void showResult(const ArchiveWorkResult& result, const OffloadReport& report, const std::string& unpublished,
                    bool automatic);

    ArchiveCommandContext m_context;
};

}  // namespace tapelink
