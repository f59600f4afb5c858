#include "retention/ExpiredRecordings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "archive/ArchiveOwnFolder.h"
#include "common/fs/FileErrorText.h"
#include "common/fs/FolderListing.h"
#include "common/fs/RegularFileAt.h"

namespace tapelink {

namespace {

// The file in the archive folder that holds a recording: its original, or once that is gone its compact file.
std::string heldIn(int folderFd, const std::string& fileName, const std::string& compactName) {
    if (compactName.empty() || isRegularFileAt(folderFd, fileName)) return fileName;
    return isRegularFileAt(folderFd, compactName) ? compactName : fileName;
}

std::string reasonOf(const std::error_code& error) {
    if (error.value() == EROFS || error.value() == EACCES || error.value() == EPERM) {
        return "存档文件夹是只读的，无法移动录音";
    }
    return errorReasonText(error);
}

const char* catalogueFailureText() {
    return "存档索引无法写入，录音未移动";
}

}  // namespace

ExpiredRecordings::ExpiredRecordings(IArchiveCatalogue& catalogue, std::string archiveFolder)
    : m_catalogue(catalogue), m_folder(std::move(archiveFolder)) {}

ExpiryOutcome ExpiredRecordings::failAll(const std::vector<std::string>& names, const std::string& failure) const {
    ExpiryOutcome outcome;
    outcome.failed = names;
    outcome.failure = failure;
    return outcome;
}

ExpiryOutcome ExpiredRecordings::expire(const std::vector<ExpiryCandidate>& candidates, std::int64_t now) {
    std::vector<std::string> names;
    for (const ExpiryCandidate& candidate : candidates) names.push_back(candidate.fileName);
    if (candidates.empty()) return {};
    if (!m_catalogue.writable()) return failAll(names, "存档文件夹是只读的，无法移出录音");
    const ArchiveOwnFolder own(m_folder, ArchiveOwnFolder::Mode::Create);
    bool absent = false;
    std::string failure;
    const FileDescriptor expired = own.openExpired(true, absent, failure);
    if (!expired.valid()) return failAll(names, failure.empty() ? own.failure() : failure);

    // Each file keeps its name where that is free in expired/ (a rename refuses to replace).
    CatalogueChanges marks;
    marks.expiredAt = now;
    std::vector<std::string> held;
    for (const ExpiryCandidate& candidate : candidates) {
        held.push_back(heldIn(own.archiveFd(), candidate.fileName, candidate.compactName));
        std::string aside = held.back();
        struct stat taken {};
        for (int attempt = 2; ::fstatat(expired.get(), aside.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0; ++attempt) {
            aside = held.back() + "." + std::to_string(attempt);
        }
        marks.expired.emplace_back(candidate.fileName, aside);
    }
    if (m_catalogue.apply(marks) != CatalogueStatus::Ok) return failAll(names, catalogueFailureText());

    ExpiryOutcome outcome;
    CatalogueChanges undo;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& [name, aside] = marks.expired[i];
        std::error_code error = std::make_error_code(std::errc::no_such_file_or_directory);
        if (isRegularFileAt(own.archiveFd(), held[i])) {
            error = renameNoReplaceAt(own.archiveFd(), held[i], expired.get(), aside);
        }
        if (error) {
            if (outcome.failure.empty()) outcome.failure = name + "：" + reasonOf(error);
            outcome.failed.push_back(name);
            undo.restored.push_back(name);
            continue;
        }
        outcome.done.push_back(name);
        outcome.bytes += candidates[i].size;
    }
    // A row whose file did not move is live again; should this fail, reconciling does the same later.
    if (!undo.restored.empty()) m_catalogue.apply(undo);
    ::fsync(expired.get());
    ::fsync(own.archiveFd());
    return outcome;
}

CatalogueStatus ExpiredRecordings::list(std::vector<CatalogueRecord>& out) {
    std::vector<CatalogueRecord> rows;
    out.clear();
    const CatalogueStatus status = m_catalogue.liveRecords(rows);
    for (CatalogueRecord& row : rows) {
        if (row.state == RecordState::Expired) out.push_back(std::move(row));
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return a.expiredAt != b.expiredAt ? a.expiredAt < b.expiredAt : a.fileName < b.fileName;
    });
    return status;
}

ExpiryOutcome ExpiredRecordings::restore(const std::vector<std::string>& fileNames) {
    if (!m_catalogue.writable()) return failAll(fileNames, "存档文件夹是只读的，无法恢复录音");
    const ArchiveOwnFolder own(m_folder, ArchiveOwnFolder::Mode::OpenOnly);
    bool absent = false;
    std::string failure;
    const FileDescriptor expired = own.openExpired(false, absent, failure);
    ExpiryOutcome outcome;
    CatalogueChanges back;
    for (const std::string& name : fileNames) {
        std::optional<CatalogueRecord> row;
        std::error_code error;
        if (m_catalogue.findByName(name, row) != CatalogueStatus::Ok || !row || row->state != RecordState::Expired) {
            if (outcome.failure.empty()) outcome.failure = name + "：不是已过期的录音";
            outcome.failed.push_back(name);
            continue;
        }
        // A move cut off earlier left the file in the archive: only the row is behind. A compacted recording
        // comes back as its compact file.
        const std::string home = row->compacted() ? row->compactName : name;
        if (!isRegularFileAt(own.archiveFd(), home) && !isRegularFileAt(own.archiveFd(), name)) {
            error = expired.valid() ? renameNoReplaceAt(expired.get(), row->replacedName, own.archiveFd(), home)
                                    : std::make_error_code(std::errc::no_such_file_or_directory);
        }
        if (error) {
            if (outcome.failure.empty()) {
                outcome.failure =
                    name + "：" + (error == std::errc::file_exists ? "存档中已有同名文件" : reasonOf(error));
            }
            outcome.failed.push_back(name);
            continue;
        }
        back.restored.push_back(name);
        outcome.done.push_back(name);
        outcome.bytes += row->size;
    }
    ::fsync(own.archiveFd());
    if (!back.restored.empty() && m_catalogue.apply(back) != CatalogueStatus::Ok && outcome.failure.empty()) {
        // The files are back; reconciling the archive records them again.
        outcome.failure = "存档索引无法写入，恢复的录音将在下次核对时重新登记";
    }
    return outcome;
}

ExpiryOutcome ExpiredRecordings::purge(int olderThanDays, std::int64_t now) {
    std::vector<CatalogueRecord> rows;
    if (list(rows) != CatalogueStatus::Ok) return failAll({}, "无法读取存档索引，没有删除任何录音");
    if (!m_catalogue.writable()) return failAll({}, "存档文件夹是只读的，无法清空已过期的录音");
    const ArchiveOwnFolder own(m_folder, ArchiveOwnFolder::Mode::OpenOnly);
    bool absent = false;
    std::string failure;
    const FileDescriptor expired = own.openExpired(false, absent, failure);
    if (!expired.valid() && !absent) return failAll({}, failure.empty() ? own.failure() : failure);
    const std::int64_t cutoff = now - static_cast<std::int64_t>(olderThanDays) * 86400;
    ExpiryOutcome outcome;
    CatalogueChanges gone;
    std::vector<std::string> asides;
    for (const CatalogueRecord& row : rows) {
        if (olderThanDays > 0 && row.expiredAt > cutoff) continue;
        // A file still in the archive (a move cut off) is no expired copy: it stays, its row is live again.
        if (isRegularFileAt(own.archiveFd(), heldIn(own.archiveFd(), row.fileName, row.compactName))) {
            CatalogueChanges live;
            live.restored.push_back(row.fileName);
            m_catalogue.apply(live);
            continue;
        }
        gone.purged.push_back(row.fileName);
        asides.push_back(row.replacedName);
        outcome.bytes += row.size;
    }
    // The rows go first: a file left behind by a cut-off purge is no recording the archive claims.
    if (!gone.purged.empty() && m_catalogue.apply(gone) != CatalogueStatus::Ok) {
        return failAll(gone.purged, "存档索引无法写入，没有删除任何录音");
    }
    for (std::size_t i = 0; i < asides.size(); ++i) {
        if (expired.valid() && ::unlinkat(expired.get(), asides[i].c_str(), 0) != 0 && errno != ENOENT) {
            if (outcome.failure.empty())
                outcome.failure = gone.purged[i] + "：" + reasonOf({errno, std::generic_category()});
            outcome.failed.push_back(gone.purged[i]);
            continue;
        }
        outcome.done.push_back(gone.purged[i]);
    }
    return outcome;
}

}  // namespace tapelink
