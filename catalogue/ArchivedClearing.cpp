#include "catalogue/ArchivedClearing.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <optional>

#include "catalogue/ArchiveMarks.h"
#include "common/Sha256.h"
#include "common/fs/FileDescriptor.h"
#include "phone/PhoneVolume.h"

namespace tapelink {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Checks one recording at a time against the archive, keeping the verified copy open until the next.
class ArchivedCopyCheck {
public:
    ArchivedCopyCheck(IArchiveCatalogue& catalogue, const std::string& archiveFolder,
                      const std::set<std::string>* serverHolds)
        : m_catalogue(catalogue),
          m_archive(::open(archiveFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
          m_serverHolds(serverHolds) {}

    // Empty when the telephone's file in voiceFd may go now.
    std::optional<KeptReason> check(int voiceFd, const RecordingEntry& entry) {
        m_heldCopy = FileDescriptor();
        const ContentKey key = contentKeyOf(entry);
        std::vector<CatalogueRecord> rows;
        if (m_catalogue.findByContent(key, rows) != CatalogueStatus::Ok || rows.empty())
            return reasonByName(entry, key);
        const FileDescriptor phoneFile = openRegularFileAt(voiceFd, entry.fileName, O_RDONLY);
        struct stat phone {};
        if (!phoneFile.valid() || ::fstat(phoneFile.get(), &phone) != 0) return KeptReason::PhoneUnreadable;
        const auto onPhone = hashOpenFile(phoneFile.get());
        if (!onPhone) return KeptReason::PhoneUnreadable;
        std::optional<KeptReason> reason = KeptReason::NotArchived;
        for (const CatalogueRecord& row : rows) {
            if (row.sha256 != onPhone->sha256) continue;
            if (m_serverHolds != nullptr && m_serverHolds->count(row.sha256) == 0) {
                reason = KeptReason::NotOnServer;
                continue;
            }
            reason = checkCopy(row, phone);
            if (!reason) break;
        }
        if (reason) return reason;
        // The name deleted next must still be the file that was hashed.
        struct stat now {};
        if (::fstatat(voiceFd, entry.fileName.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(now, phone))
            return KeptReason::PhoneUnreadable;
        return std::nullopt;
    }

    void release() { m_heldCopy = FileDescriptor(); }

private:
    // Rows that are no longer Present say why the copy does not count.
    std::optional<KeptReason> reasonByName(const RecordingEntry& entry, const ContentKey& key) {
        std::optional<CatalogueRecord> named;
        if (m_catalogue.findByName(entry.fileName, named) != CatalogueStatus::Ok || !named ||
            named->contentKey() != key)
            return KeptReason::NotArchived;
        if (named->state == RecordState::Changed) return KeptReason::CopyChanged;
        if (named->state == RecordState::Missing) return KeptReason::CopyMissing;
        return KeptReason::NotArchived;
    }

    std::optional<KeptReason> checkCopy(const CatalogueRecord& row, const struct stat& phone) {
        if (!m_archive.valid()) return KeptReason::CopyMissing;
        constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        FileDescriptor copy(::openat(m_archive.get(), row.fileName.c_str(), kFlags));
        // A compacted recording whose original is gone is held by its compact file, checked against its
        // own recorded digest.
        const bool compact = !copy.valid() && errno == ENOENT && row.compacted();
        if (compact) copy = FileDescriptor(::openat(m_archive.get(), row.compactName.c_str(), kFlags));
        struct stat info {};
        if (!copy.valid() || ::fstat(copy.get(), &info) != 0 || !S_ISREG(info.st_mode)) return KeptReason::CopyMissing;
        if (sameFile(info, phone)) return KeptReason::SameFile;
        const auto inArchive = hashOpenFile(copy.get());
        if (!inArchive || inArchive->sha256 != (compact ? row.compactSha256 : row.sha256))
            return KeptReason::CopyChanged;
        m_heldCopy = std::move(copy);
        return std::nullopt;
    }

    IArchiveCatalogue& m_catalogue;
    FileDescriptor m_archive;
    FileDescriptor m_heldCopy;  // the verified copy, open while the telephone's file is deleted
    const std::set<std::string>* m_serverHolds;
};

}  // namespace

ClearingReport clearArchived(IArchiveCatalogue& catalogue, const std::string& archiveFolder,
                             const std::string& driveRoot, const std::vector<RecordingEntry>& entries,
                             const ClearingRule& rule, PhoneIndexHeader& header, IMessageSink& messages,
                             std::stop_token stop, const std::function<void(int, int)>& progress) {
    ClearingReport report;
    report.recordings = static_cast<int>(entries.size());
    std::vector<const RecordingEntry*> chosen;
    std::vector<std::string> names;
    for (const RecordingEntry& entry : entries) {
        if (!oldEnough(entry, rule)) {
            ++report.tooRecent;
            continue;
        }
        chosen.push_back(&entry);
        names.push_back(entry.fileName);
    }
    if (chosen.empty()) return report;
    const int total = static_cast<int>(chosen.size());
    ArchivedCopyCheck copies(catalogue, archiveFolder, rule.serverHolds);
    const auto mayDelete = [&](std::size_t i, int voiceFd) {
        if (stop.stop_requested()) {
            report.stopped = true;
            return false;
        }
        if (progress) progress(static_cast<int>(i), total);
        const std::optional<KeptReason> kept = copies.check(voiceFd, *chosen[i]);
        if (kept) report.kept.push_back({chosen[i]->fileName, *kept});
        return !kept;
    };
    report.deletion = PermanentDelete(
        driveRoot, names, header, messages, [&](std::size_t i) { report.deleted.push_back(names[i]); }, mayDelete);
    copies.release();
    if (progress) progress(total, total);
    return report;
}

const char* keptReasonText(KeptReason reason) {
    switch (reason) {
        case KeptReason::NotArchived:
            return "未存档";
        case KeptReason::CopyMissing:
            return "存档中缺失";
        case KeptReason::CopyChanged:
            return "存档副本内容已改变";
        case KeptReason::SameFile:
            return "存档副本就是电话机上的这个文件";
        case KeptReason::PhoneUnreadable:
            return "电话机上的文件无法读取或已改变";
        case KeptReason::NotOnServer:
            return "团队存档服务器尚未确认保存";
    }
    return "";
}

std::string clearingSummary(const ClearingReport& report, const ClearingRule& rule, std::size_t maxListed) {
    std::string text;
    for (std::size_t i = 0; i < report.kept.size() && i < maxListed; ++i) {
        text += "未删除 " + report.kept[i].fileName + "：" + keptReasonText(report.kept[i].reason) + "\n";
    }
    if (report.kept.size() > maxListed) text += "……（共 " + std::to_string(report.kept.size()) + " 条未删除）\n";
    const std::string days = rule.olderThanDays ? std::to_string(*rule.olderThanDays) : std::string();
    if (report.recordings == 0) return text + "电话机上没有录音，无需删除。";
    if (report.tooRecent == report.recordings) return text + "电话机上没有早于 " + days + " 天的录音，无需删除。";
    text += "已删除 " + std::to_string(report.deleted.size()) + " 条录音，保留 " + std::to_string(report.kept.size()) +
            " 条未能确认存档的录音";
    // Counted by reason in a fixed order, so the line reads the same every time.
    std::map<KeptReason, int> byReason;
    for (const KeptRecording& kept : report.kept) ++byReason[kept.reason];
    std::string reasons;
    for (const auto& [reason, count] : byReason) {
        reasons +=
            (reasons.empty() ? "" : "，") + std::string(keptReasonText(reason)) + " " + std::to_string(count) + " 条";
    }
    text += reasons.empty() ? "。" : "（" + reasons + "）。";
    if (report.deleted.empty() && !report.kept.empty() && byReason.size() == 1 &&
        byReason.count(KeptReason::NotArchived) == 1)
        text += "电话机上没有已存档的录音。";
    if (report.tooRecent > 0)
        text += "另有 " + std::to_string(report.tooRecent) + " 条录音未满 " + days + " 天，未作检查。";
    if (report.stopped) text += "已停止，其余录音未作检查。";
    return text;
}

}  // namespace tapelink
