#include "compaction/ArchiveCompaction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "archive/ArchiveNames.h"
#include "common/Sha256.h"
#include "common/fs/FileDescriptor.h"
#include "common/fs/FileErrorText.h"
#include "common/fs/RegularFileAt.h"
#include "common/fs/TemporaryFiles.h"
#include "common/fs/WriteAll.h"

namespace tapelink {

namespace {

// The whole of a regular file of the folder, never through a link; errno says why not.
bool readWholeFile(int folderFd, const std::string& name, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    FileDescriptor file = openRegularFileAt(folderFd, name, O_RDONLY | O_CLOEXEC);
    if (!file.valid()) return false;
    std::uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}

std::string digestOf(const std::vector<std::uint8_t>& bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.hexDigest();
}

std::string reasonOf(int error) {
    return errorReasonText(std::error_code(error, std::generic_category()));
}

bool isFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

bool existsAt(int folderFd, const std::string& name) {
    struct stat info {};
    return ::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

CompactionReport ArchiveCompaction::run(const CompactionChoice& choice, std::stop_token stop,
                                        const HashProgress& progress, const std::atomic<bool>* stopRequest) {
    CompactionReport report;
    const FileDescriptor folder(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        report.folderOpen = false;
        return report;
    }
    if (!m_catalogue.writable()) {
        report.status = CatalogueStatus::ReadOnly;
        return report;
    }
    // A run killed while writing left its temporary file; its writer is gone and its lock free.
    report.cleaned = removeStaleTemporaries(folder.get(), TemporaryKind::Upload);

    std::vector<CatalogueRecord> rows;
    report.status = m_catalogue.liveRecords(rows);
    if (report.status != CatalogueStatus::Ok) return report;
    std::vector<CatalogueRecord> planned = planCompaction(rows, choice);
    // Compact rows whose original is gone are done already.
    std::erase_if(planned,
                  [&](const CatalogueRecord& row) { return row.compacted() && !existsAt(folder.get(), row.fileName); });
    report.planned = static_cast<int>(planned.size());
    if (progress) progress(0, report.planned);
    for (std::size_t i = 0; i < planned.size(); ++i) {
        if (stop.stop_requested() || (stopRequest != nullptr && *stopRequest)) {
            report.stopped = true;
            break;
        }
        const CatalogueRecord& row = planned[i];
        std::string failure = row.compacted() ? finishOne(folder.get(), row, report) : std::string();
        // A compact file that no longer holds what was recorded is made again from the original (whose digest
        // compactOne checks first).
        if (!row.compacted() || !failure.empty()) failure = compactOne(folder.get(), row, report);
        if (!failure.empty()) report.failures.push_back({row.fileName, failure});
        if (report.status != CatalogueStatus::Ok || report.diskFull) break;
        if (progress) progress(static_cast<int>(i) + 1, report.planned);
    }
    return report;
}

std::string ArchiveCompaction::compactOne(int folderFd, const CatalogueRecord& row, CompactionReport& report) {
    std::vector<std::uint8_t> original;
    if (!readWholeFile(folderFd, row.fileName, original)) return "无法读取：" + reasonOf(errno);
    if (digestOf(original) != row.sha256) return "内容与存档索引的记录不符，未压缩。";
    std::vector<std::uint8_t> encoded;
    std::string error;
    if (!m_encoder.encode(original, encoded, error)) return "无法转换：" + error;

    const std::string compactName = compactNameOf(row.fileName);
    std::string temporary;
    int failed = 0;
    FileDescriptor file = createTemporaryFile(folderFd, TemporaryKind::Upload, compactName, temporary, failed);
    if (!file.valid()) {
        report.diskFull = isFull(failed);
        return "无法写入压缩文件：" + reasonOf(failed);
    }
    const bool written = writeAll(file.get(), encoded.data(), encoded.size()) && ::fsync(file.get()) == 0;
    failed = errno;
    if (!file.close() || !written) {
        if (written) failed = errno;
        ::unlinkat(folderFd, temporary.c_str(), 0);
        report.diskFull = isFull(failed);
        return "无法写入压缩文件：" + reasonOf(failed);
    }
    if (::renameat(folderFd, temporary.c_str(), folderFd, compactName.c_str()) != 0) {
        failed = errno;
        ::unlinkat(folderFd, temporary.c_str(), 0);
        return "无法写入压缩文件：" + reasonOf(failed);
    }
    ::fsync(folderFd);

    // What the disk gives back, not what was handed to it, is what the catalogue records.
    const std::string digest = digestOf(encoded);
    std::vector<std::uint8_t> readBack;
    if (!readWholeFile(folderFd, compactName, readBack) || digestOf(readBack) != digest) {
        ::unlinkat(folderFd, compactName.c_str(), 0);
        return "压缩文件写入后读出的内容不符，原录音未改动。";
    }
    CatalogueRecord compacted = row;
    compacted.compactName = compactName;
    compacted.compactSha256 = digest;
    CatalogueChanges changes;
    changes.upserts.push_back(std::move(compacted));
    report.status = m_catalogue.apply(changes);
    if (report.status != CatalogueStatus::Ok) {
        ::unlinkat(folderFd, compactName.c_str(), 0);
        return "无法写入存档索引，原录音未改动。";
    }
    if (::unlinkat(folderFd, row.fileName.c_str(), 0) != 0) return "无法删除原录音：" + reasonOf(errno);
    ::fsync(folderFd);
    ++report.compacted;
    report.bytesBefore += original.size();
    report.bytesAfter += encoded.size();
    return {};
}

std::string ArchiveCompaction::finishOne(int folderFd, const CatalogueRecord& row, CompactionReport& report) {
    std::vector<std::uint8_t> compact;
    if (!readWholeFile(folderFd, row.compactName, compact) || digestOf(compact) != row.compactSha256) {
        return "压缩文件与存档索引的记录不符。";
    }
    // Only the recording the compact file was made from goes, never another file put under its name.
    std::vector<std::uint8_t> original;
    if (!readWholeFile(folderFd, row.fileName, original)) return "无法读取：" + reasonOf(errno);
    if (digestOf(original) != row.sha256) return "内容与存档索引的记录不符，未压缩。";
    if (::unlinkat(folderFd, row.fileName.c_str(), 0) != 0) return "无法删除原录音：" + reasonOf(errno);
    ::fsync(folderFd);
    ++report.compacted;
    report.bytesBefore += original.size();
    report.bytesAfter += compact.size();
    return {};
}

}  // namespace tapelink
