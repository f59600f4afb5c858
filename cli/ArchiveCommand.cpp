#include "cli/ArchiveCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "catalogue/ArchiveVerify.h"
#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/CellText.h"
#include "cli/InterruptStop.h"
#include "common/fs/FileErrorText.h"
#include "compaction/ArchiveCompaction.h"
#include "platform/SndfileOpusEncoder.h"

namespace tapelink::cli {

namespace {

constexpr int kExitInterrupted = 130;

void drawVerifyProgress(int done, int total) {
    static const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (!onTerminal || total == 0) return;
    std::fprintf(stderr, "\r正在校验存档 %d/%d", done, total);
    if (done == total) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void drawBuildProgress(int done, int total) {
    static const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (!onTerminal || total == 0) return;
    std::fprintf(stderr, "\r正在建立存档索引 %d/%d", done, total);
    if (done == total) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void drawCompactProgress(int done, int total) {
    static const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (!onTerminal || total == 0) return;
    std::fprintf(stderr, "\r正在压缩存档 %d/%d", done, total);
    if (done == total) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

// Bytes for a person: "1.5 MB".
std::string sizeText(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

void printNames(const char* label, const std::vector<std::string>& names) {
    for (const std::string& name : names) std::cout << label << '\t' << name << '\n';
}

}  // namespace

ArchiveCommand::ArchiveCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("archive", "Look after the archive (upload) folder and its catalogue")),
      m_context(context) {
    m_command->require_subcommand(1);
    m_verify = m_command->add_subcommand("verify", "Hash every archived recording again and report differences");
    m_verify->add_flag("--json", m_json,
                       "Print one JSON object: checked, and the file names changed, missing, unrecorded, unreadable");
    m_rebuild = m_command->add_subcommand("rebuild", "根据上传文件夹重建存档索引，保留电话簿、备注和标签");
    m_compact =
        m_command->add_subcommand("compact", "将已存档的录音转换为Ogg Opus（原录音在压缩文件写好并登记后才删除）");
    m_compact->add_option("--older-than", m_olderThanDays, "只压缩开始于 DAYS 天以前的通话（默认：全部）")
        ->check(CLI::NonNegativeNumber);
    m_compact->add_flag("--json", m_json, "Print one JSON object: compacted, bytes before, after and saved, failures");
    for (CLI::App* sub : {m_verify, m_rebuild, m_compact}) {
        CLI::Option* folder = sub->add_option("DIR", m_folder, "Archive folder (default: the stored upload folder)");
        ArchiveOption(*sub, m_folder, "The same folder, as every command names the archive").excludes(folder);
    }
}

int ArchiveCommand::run() {
    const std::string folder = archiveFolderOr(m_folder);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请给出 DIR 或用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    if (m_compact->parsed()) return compact(folder);
    return m_verify->parsed() ? verify(folder) : rebuild(folder);
}

int ArchiveCommand::verify(const std::string& folder) {
    OpenArchive archive = openArchive(*m_context.catalogues, folder, m_context.messages);
    if (!archive.catalogue) return kExitMessage;
    const VerifyReport report = verifyArchive(*archive.catalogue, folder, {}, drawVerifyProgress);
    if (m_json) {
        const auto names = [](const std::vector<std::string>& list) {
            auto array = nlohmann::ordered_json::array();
            for (const std::string& name : list) array.push_back(cellText(name));
            return array;
        };
        printJson({{"checked", report.checked},
                   {"changed", names(report.changed)},
                   {"missing", names(report.missing)},
                   {"unrecorded", names(report.unrecorded)},
                   {"unreadable", names(report.unreadable)}});
        return report.allGood() ? kExitOk : kExitMessage;
    }
    printNames("changed", report.changed);
    printNames("missing", report.missing);
    printNames("unrecorded", report.unrecorded);
    printNames("unreadable", report.unreadable);
    std::cout << "已校验 " << report.checked << " 个，内容已改变 " << report.changed.size() << " 个，缺失 "
              << report.missing.size() << " 个，未登记 " << report.unrecorded.size() << " 个\n";
    return report.allGood() ? kExitOk : kExitMessage;
}

int ArchiveCommand::rebuild(const std::string& folder) {
    if (::access(folder.c_str(), F_OK) != 0) {
        std::cerr << "上传路径错误！\n";
        return kExitMessage;
    }
    const RebuildReport report = m_context.catalogues->rebuild(folder, drawBuildProgress);
    for (const std::string& aside : report.setAsideAs) {
        std::cerr << "无法读取的存档索引已移至 " << aside << "，其内容未被改动。\n";
    }
    switch (report.outcome) {
        case RebuildOutcome::LockUnavailable:
            std::cerr << "无法锁定存档文件夹（" << report.lockPlace << "），存档索引未重建，原存档索引保持不变。\n";
            return kExitMessage;
        case RebuildOutcome::NewerVersion:
            std::cerr << "存档索引由更新版本的程序建立，未重建，原存档索引保持不变。\n";
            return kExitMessage;
        case RebuildOutcome::Failed:
            std::cerr << (report.folderOpen ? "存档索引重建失败，原存档索引保持不变。\n" : "上传路径错误！\n");
            return kExitMessage;
        case RebuildOutcome::Done:
            break;
    }
    if (!report.keptAs.empty()) std::cerr << "原存档索引已保存为 " << report.keptAs << "\n";
    if (!report.carriedFrom.empty()) {
        std::cerr << "原存档索引中没有电话簿、备注和标签，已从较早的存档索引 " << report.carriedFrom << " 取回。\n";
    }
    std::cout << "已登记 " << report.added << " 个，无法读取 " << report.unreadable << " 个\n";
    return report.unreadable > 0 ? kExitMessage : kExitOk;
}

int ArchiveCommand::compact(const std::string& folder) {
    if (::access(folder.c_str(), F_OK) != 0) {
        std::cerr << "上传路径错误！\n";
        return kExitMessage;
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        std::cerr << "存档文件夹 " << folder << " 不能写入（"
                  << errorReasonText(std::error_code(errno, std::generic_category())) << "），未压缩任何录音。\n";
        return kExitMessage;
    }
    CatalogueSession session(*m_context.catalogues, folder);
    // One writer at a time: an upload never meets a half-compacted recording of another program.
    const std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
    if (lock == nullptr || !lock->held()) {
        std::cerr << "无法锁定存档文件夹 " << folder << "，未压缩任何录音。\n";
        return kExitMessage;
    }
    InterruptStop interrupt;
    session.openReconciled(interrupt.token());
    if (!session.setAsidePath().empty()) std::cerr << catalogueSetAsideText(session.setAsidePath()) << "\n";
    if (!session.isOpen() || !session.catalogue()->writable()) {
        std::cerr << "存档文件夹或存档索引不可写，未压缩任何录音。\n";
        return kExitMessage;
    }
    SndfileOpusEncoder encoder;
    ArchiveCompaction compaction(*session.catalogue(), folder, encoder);
    CompactionChoice choice;
    choice.olderThanDays = m_olderThanDays;
    choice.now = std::time(nullptr);
    const CompactionReport report = compaction.run(choice, interrupt.token(), drawCompactProgress);
    for (const CompactionFailure& failure : report.failures) {
        std::cerr << "未压缩：" << cellText(failure.fileName) << "（" << failure.reason << "）\n";
    }
    if (!report.folderOpen) std::cerr << "上传路径错误！\n";
    if (report.status != CatalogueStatus::Ok) std::cerr << "无法写入存档索引，压缩已停止，原录音未删除。\n";
    if (report.diskFull) std::cerr << "存档文件夹所在的磁盘已满，压缩已停止，其余录音未改动。\n";
    if (report.stopped) std::cerr << "压缩已停止。\n";
    if (m_json) {
        auto failures = nlohmann::ordered_json::array();
        for (const CompactionFailure& failure : report.failures) {
            failures.push_back({{"file", cellText(failure.fileName)}, {"reason", failure.reason}});
        }
        printJson({{"compacted", report.compacted},
                   {"bytes_before", report.bytesBefore},
                   {"bytes_after", report.bytesAfter},
                   {"bytes_saved", report.bytesSaved()},
                   {"failures", failures}});
    } else {
        std::cout << "已压缩 " << report.compacted << " 个录音，" << sizeText(report.bytesBefore) << " → "
                  << sizeText(report.bytesAfter) << "，节省 " << sizeText(report.bytesSaved()) << "，未压缩 "
                  << report.failures.size() << " 个\n";
    }
    if (report.stopped) return kExitInterrupted;
    return report.allGood() ? kExitOk : kExitMessage;
}

}  // namespace tapelink::cli
