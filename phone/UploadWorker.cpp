#include "phone/UploadWorker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

#include "common/Sha256.h"
#include "common/fs/FileErrorText.h"
#include "common/fs/FileSystemSync.h"
#include "common/fs/TemporaryFiles.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneVolume.h"
#include "phone/UploadMessages.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

namespace {

constexpr std::size_t kBatchFiles = 64;
// Flushes waited for side by side: the file system then commits them together instead of one by one.
constexpr std::size_t kFlushThreads = 8;
constexpr std::uint64_t kBatchBytes = 32ull << 20;

constexpr const char* kTransferDone = "传输完毕！";
constexpr const char* kExistsPrompt = " 文件已经存在，是否覆盖？";

// A recording of the telephone's voice folder, only when it is a regular file there (never through a link).
class SourceFile {
public:
    SourceFile(int voiceFolderFd, const std::string& name)
        : m_fd(voiceFolderFd < 0 ? -1 : openRegularFileAt(voiceFolderFd, name, O_RDONLY).release()),
          m_error(m_fd >= 0           ? 0
                  : voiceFolderFd < 0 ? ENOENT
                                      : errno) {}
    ~SourceFile() { close(); }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    int fd() const { return m_fd; }
    // Why it could not be opened, for the user; a file that is not there or not a regular file says so.
    std::string failureReason() const {
        return m_error == ENOENT || m_error == 0 ? kReasonSourceNotThere
                                                 : errorReasonText({m_error, std::generic_category()});
    }
    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
    int m_error;
};

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

UploadWorker::UploadWorker(const UploadTask& task, std::stop_token stop, const std::atomic<bool>& stopRequest,
                           IUploadObserver& observer, IUploadLedger* ledger)
    : m_task(task),
      m_stop(std::move(stop)),
      m_stopRequest(stopRequest),
      m_observer(observer),
      m_ledger(ledger),
      m_targetFolder(withTrailingSlash(task.uploadFolder)),
      m_volume(withTrailingSlash(task.driveRoot)) {}

UploadReport UploadWorker::run() {
    const int count = m_task.job.count();
    m_observer.setProgressRange(count);
    m_observer.setProgressPosition(0);
    m_observer.setProgressVisible(true);
    removeStaleUploads();

    for (int i = 0; i < count && !terminating(); ++i) {
        if (uploadRow(m_task.job.rows[static_cast<std::size_t>(i)]) == RowOutcome::EndJob) break;
        if (terminating() || m_report.folderFailed) break;
        m_observer.setProgressPosition(i + 1);
        if (m_stopRequest.load()) {
            m_report.stopped = true;
            break;
        }
    }
    publishPending();
    if (terminating()) {
        // The window is closing: nothing more is shown.
        m_report.terminated = true;
        return m_report;
    }
    std::string closing;
    if (m_closingStep && !m_report.folderFailed) {
        m_ledger = nullptr;
        closing = m_closingStep();
        if (terminating()) {
            m_report.terminated = true;
            return m_report;
        }
    }
    m_observer.setProgressVisible(false);
    // With the telephone gone the window has already shown it as disconnected; don't contradict it.
    m_observer.setStatusText(m_report.sourceGone ? kStatusDisconnected : kStatusConnected);
    if (closing.empty()) {
        m_observer.showMessage(kTransferDone, MessageIcon::Information);
    } else {
        m_observer.showMessage(std::string(kTransferDone) + "\n" + closing, MessageIcon::Warning);
    }
    return m_report;
}

UploadWorker::RowOutcome UploadWorker::uploadRow(int row) {
    const std::string name = m_observer.fileNameOfRow(row);
    // The list is emptied when the telephone is removed.
    if (name.empty()) return sourceGone(name);
    m_observer.setStatusText(kStatusUploadingPrefix + name);

    const std::string target = m_targetFolder + name;
    // The folder is looked up for each file, so a telephone pulled out mid-job is noticed at the next one.
    SourceFile source(m_volume.openFolder(PhoneVolume::kVoice).get(), name);
    if (source.fd() < 0) return copyFailed(name, source.failureReason());

    bool replace = false;
    if (pathExists(target)) {
        if (!replaceExisting(target)) {
            if (m_report.folderFailed) return RowOutcome::EndJob;
            ++m_report.skipped;
            return RowOutcome::Next;
        }
        replace = true;
    }

    Pending pending{TemporaryCopy{}, target, replace, {}};
    struct stat sourceInfo {};
    if (::fstat(source.fd(), &sourceInfo) == 0) {
        pending.sourceSize = static_cast<std::uint64_t>(sourceInfo.st_size);
        pending.sourceMtimeNs = sourceInfo.st_mtim.tv_sec * 1000000000LL + sourceInfo.st_mtim.tv_nsec;
    }
    Sha256 hash;
    std::function<void(const char*, std::size_t)> onData;
    if (m_ledger != nullptr) onData = [&hash](const char* data, std::size_t length) { hash.update(data, length); };
    const CopyStatus status = pending.copy.copyFrom(
        source.fd(), m_targetFolder, name, m_stop, [this](std::uint64_t bytes) { m_observer.bytesCopied(bytes); },
        onData);
    source.close();
    if (m_ledger != nullptr && status == CopyStatus::Ok) pending.sha256 = hash.hexDigest();
    switch (status) {
        case CopyStatus::Cancelled:
            return RowOutcome::EndJob;
        case CopyStatus::TargetFolderMissing:
        case CopyStatus::TargetFolderRefused:
            return folderFailed(status, name, pending.copy.lastError());
        case CopyStatus::Failed:
            return copyFailed(name, errorReasonText(pending.copy.lastError()));
        case CopyStatus::Ok:
            break;
    }
    m_pendingBytes += pending.copy.size();
    m_pending.push_back(std::move(pending));
    if (m_pending.size() >= kBatchFiles || m_pendingBytes >= kBatchBytes) publishPending();
    return RowOutcome::Next;
}

UploadWorker::RowOutcome UploadWorker::copyFailed(const std::string& name, const std::string& reason) {
    if (!voiceFolderExists()) return sourceGone(name);
    ++m_report.failed;
    tellFailed(name, reason);
    return RowOutcome::Next;
}

UploadWorker::RowOutcome UploadWorker::sourceGone(const std::string& name) {
    // One message for the whole rest of the job, not one per file that can no longer be read.
    ++m_report.failed;
    m_report.sourceGone = true;
    tellFailed(name, kReasonPhoneGone);
    return RowOutcome::EndJob;
}

UploadWorker::RowOutcome UploadWorker::folderFailed(CopyStatus status, const std::string& name, std::error_code error) {
    ++m_report.failed;
    // Copies of earlier rows still waiting for their names may fail on the same folder: one message.
    if (!m_report.folderFailed) {
        m_report.folderFailed = true;
        if (status == CopyStatus::TargetFolderMissing) {
            tell(kUploadFolderWrong);
        } else {
            tellFailed(name, errorReasonText(error));
        }
    }
    return RowOutcome::EndJob;
}

bool UploadWorker::replaceExisting(const std::string& target) {
    if (m_decision == OverwriteDecision::NoToAll) return false;
    if (m_decision == OverwriteDecision::YesToAll) return true;
    if (terminating()) return false;
    publishPending();
    if (m_report.folderFailed) return false;
    m_decision = OverwriteDecision::Pending;
    m_decision = m_observer.askOverwrite(target + kExistsPrompt);
    if (terminating()) return false;
    return m_decision == OverwriteDecision::Yes || m_decision == OverwriteDecision::YesToAll;
}

void UploadWorker::publishPending() {
    // Taken out first: publishing may ask the user, which publishes again.
    std::vector<Pending> batch = std::move(m_pending);
    m_pending.clear();
    m_pendingBytes = 0;
    const std::vector<std::error_code> flushErrors = flushAll(batch);
    const int copiedBefore = m_report.copied;
    for (std::size_t i = 0; i < batch.size(); ++i) publish(batch[i], flushErrors[i]);
    // The new names go to disk before the ledger is told the copies are kept.
    if (m_report.copied > copiedBefore) syncTargetFolder();
    if (m_ledger != nullptr && !m_placed.empty()) {
        m_ledger->recordCopies(m_placed);
        m_placed.clear();
    }
}

bool UploadWorker::ledgerAllowsReplace(Pending& pending) {
    if (m_ledger == nullptr) return true;
    const std::string name = pending.target.substr(m_targetFolder.size());
    switch (m_ledger->beforeReplace(name, pending.sha256)) {
        case ReplaceVerdict::Replace:
            return true;
        case ReplaceVerdict::Identical:
            ++m_report.alreadyArchived;
            break;
        case ReplaceVerdict::Keep:
            // The old file could not be put aside: it stays, and the user learns which one.
            ++m_report.failed;
            if (!terminating()) m_observer.uploadFailed(name, kReasonNotKeptAside);
            break;
    }
    pending.copy.discard();
    return false;
}

std::vector<std::error_code> UploadWorker::flushAll(std::vector<Pending>& batch) {
    std::vector<std::error_code> errors(batch.size());
    const std::vector<bool> synced = syncFileSystems(batch);
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (synced[i]) {
            errors[i] = batch[i].copy.finishSynced();
        } else {
            rest.push_back(i);
        }
    }
    std::atomic<std::size_t> next{0};
    auto flushSome = [&batch, &errors, &rest, &next] {
        for (std::size_t i = next++; i < rest.size(); i = next++) errors[rest[i]] = batch[rest[i]].copy.flush();
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t helperCount = rest.size() > 1 ? std::min(kFlushThreads, rest.size()) - 1 : 0;
        for (std::size_t i = 0; i < helperCount; ++i) {
            try {
                helpers.emplace_back(flushSome);
            } catch (const std::system_error&) {
                break;  // fewer helpers only make it slower
            }
        }
        flushSome();
    }
    return errors;
}

std::vector<bool> UploadWorker::syncFileSystems(const std::vector<Pending>& batch) {
    std::vector<bool> synced(batch.size(), false);
    // So few copies are flushed side by side, sharing one commit; a sync of the whole file system would
    // also wait for every other program's data there.
    if (batch.size() <= kFlushThreads) return synced;
    // Each file system is synced once, through the folder of its earliest copy: that folder was opened
    // before any of the batch's bytes were written there, so the sync reports a failed write of any of them.
    // Where it fails, each of its copies is flushed on its own to learn which failed.
    std::vector<std::pair<dev_t, bool>> systems;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const int folderFd = batch[i].copy.folderFd();
        struct stat folder {};
        if (::fstat(folderFd, &folder) != 0) continue;
        auto system = std::find_if(systems.begin(), systems.end(),
                                   [&folder](const auto& known) { return known.first == folder.st_dev; });
        if (system == systems.end()) {
            const bool covered = syncCoversFilesOf(folderFd) && !syncFileSystemOf(folderFd);
            system = systems.insert(systems.end(), {folder.st_dev, covered});
        }
        synced[i] = system->second;
    }
    return synced;
}

void UploadWorker::publish(Pending& pending, std::error_code flushError) {
    if (flushError) {
        fileFailed(pending, flushError);
        return;
    }
    if (pending.replace && !ledgerAllowsReplace(pending)) return;
    std::error_code error = pending.copy.publish(pending.target, pending.replace);
    if (error == std::errc::file_exists && !pending.replace) {
        // Someone put a file there while this one was being copied.
        if (!replaceExisting(pending.target)) {
            pending.copy.discard();
            ++m_report.skipped;
            return;
        }
        if (!ledgerAllowsReplace(pending)) return;
        error = pending.copy.publish(pending.target, true);
    }
    if (error) {
        fileFailed(pending, error);
        return;
    }
    ++m_report.copied;
    m_observer.fileUploaded(pending.target.substr(m_targetFolder.size()));
    if (m_ledger != nullptr) {
        m_placed.push_back(
            {pending.target.substr(m_targetFolder.size()), pending.sha256, pending.sourceSize, pending.sourceMtimeNs});
    }
}

void UploadWorker::fileFailed(Pending& pending, const std::error_code& error) {
    pending.copy.discard();
    const std::string name = pending.target.substr(m_targetFolder.size());
    const CopyStatus status =
        error.category() == std::generic_category() ? targetFailure(error.value()) : CopyStatus::Failed;
    if (status != CopyStatus::Failed) {
        folderFailed(status, name, error);
        return;
    }
    ++m_report.failed;
    if (!terminating()) m_observer.uploadFailed(name, errorReasonText(error));
}

void UploadWorker::tell(const std::string& text) {
    publishPending();
    if (!terminating()) m_observer.showMessage(text, MessageIcon::Warning);
}

void UploadWorker::tellFailed(const std::string& name, const std::string& reason) {
    publishPending();
    if (!terminating()) m_observer.uploadFailed(name, reason);
}

void UploadWorker::syncTargetFolder() const {
    const FileDescriptor folder(::open(m_targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The copies are in place and complete either way; a failure here only leaves their names to the
    // file system's own next commit.
    if (folder.valid()) ::fsync(folder.get());
}

bool UploadWorker::voiceFolderExists() const {
    return m_volume.openFolder(PhoneVolume::kVoice).valid();
}

void UploadWorker::removeStaleUploads() const {
    // Copies of an upload that was killed; the upload folder's own links are followed, as users expect.
    const FileDescriptor folder(::open(m_targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) removeStaleTemporaries(folder.get(), TemporaryKind::Upload);
}

}  // namespace tapelink
