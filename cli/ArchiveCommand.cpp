#include "cli/ArchiveCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "archive/ArchiveLayout.h"
#include "archive/ArchiveVerify.h"
#include "archive/StampedName.h"
#include "cli/ArchiveAccess.h"
#include "phone/FileErrorText.h"
#include "platform/CatalogueCarryOver.h"

namespace tapelink::cli {

namespace {

void drawVerifyProgress(int done, int total) {
    static const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (!onTerminal || total == 0) return;
    std::fprintf(stderr, "\r正在校验存档 %d/%d", done, total);
    if (done == total) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
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
    m_verify->add_option("DIR", m_folder, "Archive folder (default: the stored upload folder)");
    m_rebuild = m_command->add_subcommand("rebuild", "Set the catalogue aside and build a new one from the folder");
    m_rebuild->add_option("DIR", m_folder, "Archive folder (default: the stored upload folder)");
}

int ArchiveCommand::run() {
    const std::string folder = archiveFolderOr(m_folder);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请给出 DIR，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    return m_verify->parsed() ? verify(folder) : rebuild(folder);
}

int ArchiveCommand::verify(const std::string& folder) {
    OpenArchive archive = openArchive(folder, m_context.messages);
    if (!archive.catalogue) return kExitMessage;
    const VerifyReport report = verifyArchive(*archive.catalogue, folder, {}, drawVerifyProgress);
    printNames("changed", report.changed);
    printNames("missing", report.missing);
    printNames("unrecorded", report.unrecorded);
    printNames("unreadable", report.unreadable);
    std::cout << "已校验 " << report.checked << " 个，内容已改变 " << report.changed.size() << " 个，缺失 "
              << report.missing.size() << " 个，未登记 " << report.unrecorded.size() << " 个\n";
    return report.allGood() ? kExitOk : kExitMessage;
}

int ArchiveCommand::rebuild(const std::string& folder) {
    const std::string path = catalogueFolderOf(folder) + kCatalogueFileName;
    std::string aside;
    if (::access(path.c_str(), F_OK) == 0) {
        aside = freeStampedName("", path, ".old-");
        if (std::rename(path.c_str(), aside.c_str()) != 0) {
            std::cerr << "无法移开旧的存档索引 " << path << "（" << errorReasonText({errno, std::generic_category()})
                      << "）\n";
            return kExitMessage;
        }
        std::cerr << "旧的存档索引已保存为 " << aside << '\n';
    }
    OpenArchive archive = openArchive(folder, m_context.messages);
    if (!archive.catalogue) return kExitMessage;
    // The folder tells the recordings; only the old catalogue knows the phonebook, the notes and the
    // replaced recordings.
    if (!aside.empty() && carryOverCatalogue(path, aside) != CatalogueStatus::Ok) {
        std::cerr << "电话簿、备注和标签未能转入新的存档索引，它们仍在 " << aside << '\n';
        return kExitMessage;
    }
    std::cout << "已登记 " << archive.reconciled.added << " 个，无法读取 " << archive.reconciled.unreadable << " 个\n";
    return archive.reconciled.unreadable > 0 ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
