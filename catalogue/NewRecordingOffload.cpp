#include "catalogue/NewRecordingOffload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <thread>

#include "archive/ArchiveFolder.h"
#include "archive/ArchiveNames.h"
#include "catalogue/ArchiveMarks.h"
#include "catalogue/CatalogueFailureText.h"
#include "common/Sha256.h"
#include "common/fs/FileErrorText.h"
#include "common/fs/TemporaryCopy.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneStore.h"
#include "phone/UploadMessages.h"

namespace tapelink {

namespace {

constexpr std::size_t kBatchFiles = 64;
constexpr std::uint64_t kBatchBytes = 32ull << 20;
// Flushes waited for side by side, so the file system commits them together.
constexpr std::size_t kFlushThreads = 8;
constexpr int kMaxSuffix = 9999;

constexpr const char* kArchiveFull = "上传路径已满或不能写入，其余新录音未上传！";
constexpr const char* kArchiveReadOnly = "上传路径不能写入，新录音未上传！";

}  // namespace

struct NewRecordingOffload::Copied {
    TemporaryCopy copy;
    RecordingEntry entry;
    std::string sha256;
    std::error_code flushError = std::make_error_code(std::errc::io_error);
    PhoneOrigin origin;
};

NewRecordingOffload::NewRecordingOffload(IArchiveCatalogue& catalogue, std::string archiveFolder, OffloadOrigin origin)
    : m_catalogue(catalogue), m_folder(withTrailingSlash(std::move(archiveFolder))), m_origin(std::move(origin)) {}

OffloadReport NewRecordingOffload::run(const std::string& driveRoot, const std::vector<RecordingEntry>& entries,
                                       std::stop_token stop, const std::atomic<bool>& stopRequest,
                                       IUploadObserver& observer) {
    m_report = {};
    if (!m_catalogue.writable()) {
        m_report.refused = true;
        observer.showMessage(kArchiveReadOnly, MessageIcon::Warning);
        return m_report;
    }
    // The catalogue first, in one snapshot; then, outside it, the hashing of recordings that only look
    // archived (same size and metadata block, but no copy recorded from this very file).
    ArchiveMarker marker(m_catalogue, m_origin.phoneSerial);
    std::vector<ContentMatch> matches(entries.size());
    const CatalogueStatus read = m_catalogue.withSnapshot([&] {
        for (std::size_t i = 0; i < entries.size(); ++i) matches[i] = marker.lookUp(entries[i]);
    });
    if (read != CatalogueStatus::Ok) {
        // What is archived is not known: nothing is copied on a guess.
        m_report.refused = true;
        observer.showMessage(catalogueFailureText(read), MessageIcon::Warning);
        return m_report;
    }
    std::vector<const RecordingEntry*> wanted;
    CatalogueChanges found;
    for (std::size_t i = 0; i < entries.size() && !stop.stop_requested(); ++i) {
        marker.confirmByContent(entries[i], matches[i]);
        if (matches[i].mark != ArchiveMark::Archived) {
            wanted.push_back(&entries[i]);
            continue;
        }
        ++m_report.alreadyArchived;
        // Known by content now: the next run knows it from the catalogue alone.
        if (matches[i].hashed) found.origins.emplace_back(matches[i].archivedAs, matches[i].origin);
    }
    if (m_catalogue.apply(found) != CatalogueStatus::Ok) m_report.catalogueFailed = true;

    const std::string voiceFolder = PhoneStore(withTrailingSlash(driveRoot)).voiceFolder();
    const int voiceFd = ::open(voiceFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    observer.setProgressRange(static_cast<int>(wanted.size()));
    observer.setProgressPosition(0);
    observer.setProgressVisible(true);
    std::vector<Copied> batch;
    std::string goneAt;
    for (std::size_t i = 0; i < wanted.size() && !stop.stop_requested(); ++i) {
        observer.setStatusText(kStatusUploadingPrefix + wanted[i]->fileName);
        const bool tried = voiceFd >= 0 && copyOne(voiceFd, *wanted[i], stop, observer, batch);
        if (m_report.folderFailed) break;
        if (!tried) {
            struct stat info {};
            if (::stat(voiceFolder.c_str(), &info) != 0) {
                m_report.sourceGone = true;
                goneAt = wanted[i]->fileName;
                break;
            }
            ++m_report.failed;
            publishBatch(batch, observer);
            observer.uploadFailed(wanted[i]->fileName, m_sourceError == ENOENT || voiceFd < 0
                                                           ? kReasonSourceNotThere
                                                           : errorReasonText({m_sourceError, std::generic_category()}));
        }
        std::uint64_t batchBytes = 0;
        for (const Copied& copied : batch) batchBytes += copied.copy.size();
        if (batch.size() >= kBatchFiles || batchBytes >= kBatchBytes) publishBatch(batch, observer);
        observer.setProgressPosition(static_cast<int>(i) + 1);
        if (stopRequest.load()) {
            m_report.stopped = true;
            break;
        }
    }
    if (voiceFd >= 0) ::close(voiceFd);
    if (stop.stop_requested()) {
        // Cut off at once: copies not yet in place are removed by their destructors.
        m_report.terminated = true;
        batch.clear();
        return m_report;
    }
    publishBatch(batch, observer);
    if (m_report.sourceGone) {
        ++m_report.failed;
        observer.uploadFailed(goneAt, kReasonPhoneGone);
    }
    observer.setProgressVisible(false);
    observer.setStatusText(m_report.sourceGone ? kStatusDisconnected : kStatusConnected);
    return m_report;
}

bool NewRecordingOffload::copyOne(int voiceFd, const RecordingEntry& entry, std::stop_token stop,
                                  IUploadObserver& observer, std::vector<Copied>& batch) {
    const int source = ::openat(voiceFd, entry.fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat info {};
    if (source < 0 || ::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A link (ELOOP) or a special file is no recording: "not there or not a regular file".
        m_sourceError = source < 0 && errno != ELOOP ? errno : ENOENT;
        if (source >= 0) ::close(source);
        return false;
    }
    Sha256 hash;
    const std::int64_t mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    Copied copied{TemporaryCopy{},
                  entry,
                  {},
                  std::make_error_code(std::errc::io_error),
                  {m_origin.phoneSerial, entry.fileName, static_cast<std::uint64_t>(info.st_size), mtimeNs}};
    const CopyStatus status = copied.copy.copyFrom(
        source, m_folder, entry.fileName, stop, [&observer](std::uint64_t bytes) { observer.bytesCopied(bytes); },
        [&hash](const char* data, std::size_t length) { hash.update(data, length); });
    ::close(source);
    if (status == CopyStatus::Cancelled) return true;
    if (status != CopyStatus::Ok) {
        ++m_report.failed;
        publishBatch(batch, observer);
        // A folder that is full or gone fails every later copy the same way: told once, and the run ends.
        m_report.folderFailed = status != CopyStatus::Failed;
        if (status == CopyStatus::Failed) {
            observer.uploadFailed(entry.fileName, errorReasonText(copied.copy.lastError()));
        } else {
            observer.showMessage(status == CopyStatus::TargetFolderMissing ? kUploadFolderWrong : kArchiveFull,
                                 MessageIcon::Warning);
        }
        return true;
    }
    copied.sha256 = hash.hexDigest();
    // The same recording twice on the telephone is archived once.
    if (std::find(m_copiedDigests.begin(), m_copiedDigests.end(), copied.sha256) != m_copiedDigests.end()) {
        ++m_report.alreadyArchived;
        return true;
    }
    m_copiedDigests.push_back(copied.sha256);
    batch.push_back(std::move(copied));
    return true;
}

std::string NewRecordingOffload::freeNameFor(const std::string& name, int& suffix) {
    for (; suffix <= kMaxSuffix; ++suffix) {
        std::string candidate = suffix == 1 ? name : suffixedName(name, suffix);
        std::optional<CatalogueRecord> row;
        // A name the catalogue still knows (a missing file included) is never given to another recording.
        if (m_catalogue.findByName(candidate, row) == CatalogueStatus::Ok && !row) return candidate;
    }
    return {};
}

void NewRecordingOffload::publishBatch(std::vector<Copied>& batch, IUploadObserver& observer) {
    if (batch.empty()) return;
    {
        std::atomic<std::size_t> next{0};
        auto flushSome = [&batch, &next] {
            for (std::size_t i = next++; i < batch.size(); i = next++) batch[i].flushError = batch[i].copy.flush();
        };
        std::vector<std::jthread> helpers;
        for (std::size_t i = 1; i < std::min(kFlushThreads, batch.size()); ++i) {
            try {
                helpers.emplace_back(flushSome);
            } catch (const std::system_error&) {
                break;
            }
        }
        flushSome();
    }
    CatalogueChanges changes;
    const ArchiveFolder folder(m_folder);
    for (Copied& copied : batch) {
        std::string target;
        std::error_code error = copied.flushError;
        for (int suffix = 1; !copied.flushError;) {
            target = freeNameFor(copied.entry.fileName, suffix);
            if (target.empty()) break;
            error = copied.copy.publish(m_folder + target, false);
            // Put there by hand meanwhile: the next suffix.
            if (error != std::errc::file_exists) break;
            ++suffix;
        }
        if (error || target.empty()) {
            copied.copy.discard();
            ++m_report.failed;
            observer.uploadFailed(copied.entry.fileName, error ? errorReasonText(error) : kReasonNoFreeName);
            continue;
        }
        ++m_report.archived;
        CatalogueRecord record;
        record.fileName = target;
        record.size = copied.entry.size;
        if (const auto placed = folder.statFile(target)) {
            record.size = placed->size;
            record.mtimeNs = placed->mtimeNs;
        }
        record.sha256 = copied.sha256;
        record.hasInfo = true;
        record.direction = copied.entry.direction;
        record.phoneNumber = copied.entry.phoneNumber;
        record.startKey = copied.entry.startKey;
        record.kind = copied.entry.fileName.substr(2, 1);
        record.archivedAt = static_cast<std::int64_t>(std::time(nullptr));
        record.archivedBy = m_origin.command;
        record.phoneSerial = m_origin.phoneSerial;
        changes.upserts.push_back(std::move(record));
        changes.origins.emplace_back(target, copied.origin);
    }
    batch.clear();
    if (m_catalogue.apply(changes) != CatalogueStatus::Ok) m_report.catalogueFailed = true;
}

}  // namespace tapelink
