#include "cli/ExpireCommand.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iostream>

#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/CellText.h"
#include "cli/ExitStatus.h"
#include "retention/ExpiredRecordings.h"
#include "retention/RetentionPlan.h"
#include "settings/ArchivePreferences.h"
#include "settings/ProfileFolder.h"

namespace tapelink::cli {

namespace {

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

// A read-only archive is told as such before any lock or catalogue is tried.
bool writableOrTold(const std::string& folder, const char* unchanged) {
    if (::access(folder.c_str(), W_OK) == 0) return true;
    if (errno == EROFS || errno == EACCES || errno == EPERM) {
        std::cerr << "存档文件夹 " << folder << " 是只读的，" << unchanged << "\n";
    } else {
        std::cerr << "上传路径错误！" << unchanged << "\n";
    }
    return false;
}

// The lock, or a message naming the archive: nothing changes without it.
std::unique_ptr<IArchiveWriteLock> lockOrTold(CliContext& context, const std::string& folder, const char* unchanged) {
    std::unique_ptr<IArchiveWriteLock> lock = context.catalogues->writeLock(folder);
    if (lock->held()) return lock;
    std::cerr << "无法锁定存档文件夹 " << folder << "，" << unchanged << "\n";
    return nullptr;
}

int reportOutcome(const ExpiryOutcome& outcome, const char* verb) {
    for (const std::string& name : outcome.done) std::cout << verb << '\t' << cellText(name) << '\n';
    if (!outcome.failure.empty()) {
        std::cerr << outcome.failure << "（" << outcome.failed.size() << " 个录音保持原样）\n";
    }
    return outcome.failed.empty() && outcome.failure.empty() ? kExitOk : kExitMessage;
}

}  // namespace

ExpireCommand::ExpireCommand(CLI::App& archive)
    : m_expire(archive.add_subcommand("expire", "按“保留 N 天”把较早的录音移出存档（有备注、标签或“保留”的除外）")),
      m_expired(archive.add_subcommand("expired", "已过期的录音：列出、恢复或清空")) {
    m_expire->add_option("--days", m_days, "保留最近 N 天开始的通话（默认：窗口中设置的“保留 N 天”）")
        ->check(CLI::Range(1, 100000));
    m_expire->add_flag("--dry-run", m_dryRun, "只列出将移出的录音，不移动");
    m_expire->add_flag("--yes", m_yes, "确认移出预览中复制自电话的录音");
    m_purgeAfterOption =
        m_expire->add_option("--purge-after", m_purgeAfter, "已过期的录音保留的天数，之后删除（默认 30）")
            ->check(CLI::Range(1, 100000));
    m_expire->add_flag("--json", m_json, "Print one JSON object: the preview and what moved");
    m_expired->require_subcommand(1);
    m_list = m_expired->add_subcommand("list", "列出已过期的录音");
    m_list->add_flag("--json", m_json, "Print the rows as JSON");
    m_restore = m_expired->add_subcommand("restore", "把已过期的录音放回存档");
    m_restore->add_option("NAME", m_names, "File names of expired recordings")->required();
    m_purge = m_expired->add_subcommand("purge", "清空：永久删除已过期的录音");
    m_purge->add_option("--older-than", m_olderThan, "只删除过期至少 DAYS 天的录音")->check(CLI::Range(0, 100000));
    for (CLI::App* sub : {m_expire, m_list, m_purge}) {
        CLI::Option* folder = sub->add_option("DIR", m_folder, "Archive folder (default: the stored upload folder)");
        ArchiveOption(*sub, m_folder, "The same folder, as every command names the archive").excludes(folder);
    }
    ArchiveOption(*m_restore, m_folder, "The archive folder (default: the stored upload folder)");
}

bool ExpireCommand::parsed() const {
    return m_expire->parsed() || m_expired->parsed();
}

int ExpireCommand::run(CliContext& context, const std::string& folder) {
    if (m_expire->parsed()) return expire(context, folder);
    if (m_list->parsed()) return list(context, folder);
    return m_restore->parsed() ? restore(context, folder) : purge(context, folder);
}

int ExpireCommand::expire(CliContext& context, const std::string& folder) {
    const ArchivePreferences preferences = loadArchivePreferences(archivePreferencesPath(profileFolderPath()));
    if (m_days == 0) {
        if (!preferences.keepArchiveDays) {
            std::cerr << "没有保留天数：请用 --days N 指定，或先在窗口中设置“保留 N 天”。\n";
            return kExitUsage;
        }
        m_days = *preferences.keepArchiveDays;
    }
    if (m_purgeAfterOption->count() == 0) m_purgeAfter = preferences.expiredPurgeDays;
    if (::access(folder.c_str(), F_OK) != 0) {
        std::cerr << "上传路径错误！\n";
        return kExitMessage;
    }
    // The lock first: no upload adds to the archive between the preview and the move.
    std::unique_ptr<IArchiveWriteLock> lock;
    if (!m_dryRun) {
        if (!writableOrTold(folder, "没有移动任何录音。")) return kExitMessage;
        lock = lockOrTold(context, folder, "没有移动任何录音。");
        if (!lock) return kExitMessage;
    }
    OpenArchive archive = openArchive(*context.catalogues, folder, context.messages);
    if (!archive.catalogue || !archive.notes) return kExitMessage;
    const std::int64_t moment = now();
    const RetentionPreview preview = previewRetention(*archive.catalogue, *archive.notes, m_days, moment);
    if (preview.status != CatalogueStatus::Ok) {
        std::cerr << "无法读取存档索引或备注，没有移动任何录音。\n";
        return kExitMessage;
    }
    const bool refused = !m_dryRun && preview.fromPhone > 0 && !m_yes;
    ExpiryOutcome moved;
    ExpiryOutcome purged;
    if (!m_dryRun && !refused) {
        ExpiredRecordings expired(*archive.catalogue, folder);
        moved = expired.expire(preview.candidates, moment);
        if (moved.failure.empty()) purged = expired.purge(m_purgeAfter, moment);
    }
    if (m_json) {
        auto rows = nlohmann::ordered_json::array();
        for (const ExpiryCandidate& candidate : preview.candidates) {
            rows.push_back({{"name", cellText(candidate.fileName)},
                            {"size", candidate.size},
                            {"start", candidate.startKey},
                            {"fromPhone", candidate.fromPhone}});
        }
        printJson({{"days", m_days},
                   {"count", preview.candidates.size()},
                   {"bytes", preview.bytes},
                   {"fromPhone", preview.fromPhone},
                   {"keptByNote", preview.keptByNote},
                   {"recordings", rows},
                   {"moved", moved.done.size()},
                   {"purged", purged.done.size()}});
    } else {
        for (const ExpiryCandidate& candidate : preview.candidates) {
            std::cout << (candidate.fromPhone ? "phone" : "archive") << '\t' << cellText(candidate.fileName) << '\t'
                      << candidate.size << '\t' << candidate.startKey << '\n';
        }
        std::cout << "保留 " << m_days << " 天：将移出 " << preview.candidates.size() << " 个录音，共 " << preview.bytes
                  << " 字节；其中 " << preview.fromPhone << " 个复制自电话（电话上的副本可能已清除）；"
                  << preview.keptByNote << " 个因有备注或标签而保留。\n";
    }
    if (refused) {
        std::cerr << "预览中有 " << preview.fromPhone
                  << " 个录音复制自电话，电话上的副本可能已清除，存档中的可能是唯一一份。确认后请加 --yes "
                     "再运行。没有移动任何录音。\n";
        return kExitMessage;
    }
    if (m_dryRun) return kExitOk;
    if (!m_json) {
        std::cout << "已移出 " << moved.done.size() << " 个录音（" << moved.bytes << " 字节）到 .tapelink/expired/，"
                  << m_purgeAfter << " 天后永久删除；可用 archive expired restore 恢复。\n";
        if (!purged.done.empty())
            std::cout << "已永久删除过期超过 " << m_purgeAfter << " 天的录音 " << purged.done.size() << " 个。\n";
    }
    if (!moved.failure.empty()) std::cerr << moved.failure << "（" << moved.failed.size() << " 个录音保持原样）\n";
    if (!purged.failure.empty()) std::cerr << purged.failure << '\n';
    return moved.failure.empty() && purged.failure.empty() ? kExitOk : kExitMessage;
}

int ExpireCommand::list(CliContext& context, const std::string& folder) {
    OpenArchive archive = openCatalogue(*context.catalogues, folder, CatalogueAccess::ReadOnly, context.messages);
    std::vector<CatalogueRecord> rows;
    if (archive.catalogue && ExpiredRecordings(*archive.catalogue, folder).list(rows) != CatalogueStatus::Ok) {
        std::cerr << "无法读取存档索引。\n";
        return kExitMessage;
    }
    if (m_json) {
        auto array = nlohmann::ordered_json::array();
        for (const CatalogueRecord& row : rows) {
            array.push_back({{"name", cellText(row.fileName)}, {"size", row.size}, {"expiredAt", row.expiredAt}});
        }
        printJson(array);
        return kExitOk;
    }
    std::uint64_t bytes = 0;
    for (const CatalogueRecord& row : rows) {
        std::cout << cellText(row.fileName) << '\t' << row.size << '\t' << row.expiredAt << '\n';
        bytes += row.size;
    }
    std::cerr << "已过期的录音 " << rows.size() << " 个，共 " << bytes << " 字节\n";
    return kExitOk;
}

int ExpireCommand::restore(CliContext& context, const std::string& folder) {
    if (!writableOrTold(folder, "没有恢复任何录音。")) return kExitMessage;
    const std::unique_ptr<IArchiveWriteLock> lock = lockOrTold(context, folder, "没有恢复任何录音。");
    if (!lock) return kExitMessage;
    OpenArchive archive = openArchive(*context.catalogues, folder, context.messages);
    if (!archive.catalogue) return kExitMessage;
    return reportOutcome(ExpiredRecordings(*archive.catalogue, folder).restore(m_names), "restored");
}

int ExpireCommand::purge(CliContext& context, const std::string& folder) {
    if (!writableOrTold(folder, "没有删除任何录音。")) return kExitMessage;
    const std::unique_ptr<IArchiveWriteLock> lock = lockOrTold(context, folder, "没有删除任何录音。");
    if (!lock) return kExitMessage;
    OpenArchive archive = openArchive(*context.catalogues, folder, context.messages);
    if (!archive.catalogue) return kExitMessage;
    return reportOutcome(ExpiredRecordings(*archive.catalogue, folder).purge(m_olderThan, now()), "purged");
}

}  // namespace tapelink::cli
