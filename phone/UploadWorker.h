#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <system_error>
#include <vector>

#include "common/fs/TemporaryCopy.h"
#include "phone/IUploadLedger.h"
#include "phone/IUploadObserver.h"
#include "phone/OverwriteDecision.h"
#include "phone/PhoneVolume.h"
#include "phone/UploadReport.h"
#include "phone/UploadTask.h"

namespace tapelink {

// One upload job from its first row to "传输完毕！". Each file is copied into a temporary file in the
// upload folder; finished copies are flushed and moved into place in small batches, so the cost of
// waiting for the disk is shared by many files: all of a batch's data is on disk (one sync of the file
// system where that is enough, each copy's own flush elsewhere) before the first of its copies gets its
// name, and the folder is synced after the renames. A batch is always moved into place before the user is
// asked or told anything, so messages follow the order of the rows. A failure of the upload folder itself
// (gone, not a folder, refusing writes, full) is told once and ends the job: every later file would fail
// the same way.
class UploadWorker {
public:
    // ledger, when given, hears of every copy and of every file about to be replaced.
    UploadWorker(const UploadTask& task, std::stop_token stop, const std::atomic<bool>& stopRequest,
                 IUploadObserver& observer, IUploadLedger* ledger = nullptr);
    UploadReport run();

    // Runs once every copy is in place and recorded, before the summary, unless the job was cancelled or
    // the upload folder failed; its text, when not empty, is a line of the summary, which then warns. The
    // ledger is no longer used by then: the step may close it.
    void setClosingStep(std::function<std::string()> step) { m_closingStep = std::move(step); }

private:
    enum class RowOutcome { Next, EndJob };
    struct Pending {
        TemporaryCopy copy;
        std::string target;
        bool replace = false;
        std::string sha256;  // with a ledger only
        std::uint64_t sourceSize = 0;
        std::int64_t sourceMtimeNs = 0;
    };

    RowOutcome uploadRow(int row);
    RowOutcome copyFailed(const std::string& name, const std::string& reason);
    RowOutcome sourceGone(const std::string& name);
    RowOutcome folderFailed(CopyStatus status, const std::string& name, std::error_code error);
    bool replaceExisting(const std::string& target);
    void publishPending();
    static std::vector<std::error_code> flushAll(std::vector<Pending>& batch);
    // Which copies a sync of their whole file system has put on disk.
    static std::vector<bool> syncFileSystems(const std::vector<Pending>& batch);
    void publish(Pending& pending, std::error_code flushError);
    void fileFailed(Pending& pending, const std::error_code& error);
    bool ledgerAllowsReplace(Pending& pending);
    void tell(const std::string& text);
    void tellFailed(const std::string& name, const std::string& reason);
    void syncTargetFolder() const;
    bool voiceFolderExists() const;
    void removeStaleUploads() const;
    bool terminating() const { return m_stop.stop_requested(); }

    const UploadTask& m_task;
    std::stop_token m_stop;
    const std::atomic<bool>& m_stopRequest;
    IUploadObserver& m_observer;
    IUploadLedger* m_ledger;
    std::vector<PlacedCopy> m_placed;
    std::string m_targetFolder;
    PhoneVolume m_volume;
    OverwriteDecision m_decision = OverwriteDecision::Pending;
    std::vector<Pending> m_pending;
    std::uint64_t m_pendingBytes = 0;
    UploadReport m_report;
    std::function<std::string()> m_closingStep;
};

}  // namespace tapelink
