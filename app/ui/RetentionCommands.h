#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/ArchiveCommandContext.h"

namespace tapelink {

struct ArchiveWorkResult;
struct CatalogueRecord;
struct RetentionPreview;

// The retention rule's commands: "移出过期录音…" (planned on the worker, previewed, planned again under the
// write lock and moved) and "已过期的录音…" (listed, then restored or emptied as the view chose).
class RetentionCommands {
public:
    explicit RetentionCommands(const ArchiveCommandContext& context) : m_context(context) {}

    void previewExpiry();
    void listExpired();

private:
    std::string retentionFolder();
    void expireConfirmed(const RetentionPreview& confirmed, int days, std::int64_t now);
    void showExpiredView(const std::vector<CatalogueRecord>& rows);
    void changeExpired(bool restore, const std::vector<std::string>& names);
    // The worker's messages; then, when it had none, the step that shows what it found.
    void finish(const ArchiveWorkResult& result, const std::function<void()>& step);

    ArchiveCommandContext m_context;
};

}  // namespace tapelink
