#include "cli/ShareCommand.h"
#include "cli/AnnotatedSearch.h"

#include <filesystem>
#include <iostream>
#include <map>

#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/CellText.h"
#include "cli/FailureTrackingSink.h"
#include "cli/InterruptStop.h"
#include "cli/SearchRowCollector.h"
#include "platform/LibraryShareTools.h"
#include "search/RecordingAnnotations.h"
#include "search/SearchMessages.h"
#include "sharing/ShareRun.h"

namespace tapelink::cli {

namespace {

// Progress on stderr, one line per recording, only where a person watches.
class TerminalShareObserver : public IShareObserver {
public:
    void onRecording(int index, int count, const std::string& name) override {
        if (m_terminal) std::cerr << "正在转换 " << index + 1 << "/" << count << "：" << cellText(name) << '\n';
    }

private:
    bool m_terminal = ::isatty(2) == 1;
};

std::string sizeInMegabytes(std::uint64_t size) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(size) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

ShareCommand::ShareCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("share", "Convert recordings for sending, into a zip file or a folder")),
      m_context(context) {
    CLI::Option_group* source = m_command->add_option_group("source", "The recordings to share");
    source
        ->add_option("--search", m_searchFolder,
                     "The search results of a folder of uploaded recordings (without a value: the archive)")
        ->expected(0, 1);
    source->add_option("FILE", m_files, "Recording files to share");
    source->require_option(1);
    ArchiveOption(*m_command, m_archive,
                  "With --search: the archive (upload) folder searched (default: the stored one)");
    m_searchOptions.addTo(*m_command);
    m_command->add_option("--format", m_format, "mp3 (plays everywhere; the default) or wav (the original files)")
        ->check(CLI::IsMember({"mp3", "wav"}));
    CLI::Option_group* target = m_command->add_option_group("target", "Where the share goes");
    target->add_option("--zip", m_zip, "Zip file to write (replaced if it exists)");
    target->add_option("--folder", m_folder, "Folder to write the files into (made if missing)");
    target->require_option(1);
}

int ShareCommand::run() {
    if (!m_files.empty()) {
        // Named files are shared whole: a filter or a folder that would be ignored is refused instead.
        if (!m_searchOptions.given().empty() || !m_archive.empty()) {
            std::cerr << (m_archive.empty() ? m_searchOptions.given() : std::string("--archive"))
                      << " 只能与 --search 一起使用；指定的文件都会被分享。\n";
            return kExitUsage;
        }
    } else {
        if (!m_archive.empty() && !m_searchFolder.empty()) {
            std::cerr << "存档文件夹只能给出一次：--search DIR 或 --search --archive DIR。\n";
            return kExitUsage;
        }
        m_searchFolder = archiveFolderOr(m_searchFolder.empty() ? m_archive : m_searchFolder);
        if (m_searchFolder.empty()) {
            std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
            return kExitUsage;
        }
    }
    const std::optional<std::vector<ShareItem>> items = m_files.empty() ? searchItems() : fileItems();
    if (!items) return kExitMessage;

    SharePlan plan;
    plan.items = *items;
    plan.format = m_format == "wav" ? ShareFormat::Wav : ShareFormat::Mp3;
    plan.target = m_zip.empty() ? ShareTarget::Folder : ShareTarget::Zip;
    plan.targetPath = m_zip.empty() ? m_folder : m_zip;
    const std::string phone = m_context.locatePhone();
    if (!phone.empty()) plan.protectedFolders.push_back(phone);
    if (!m_searchFolder.empty()) plan.protectedFolders.push_back(m_searchFolder);
    if (const std::string stored = archiveFolderOr({}); !stored.empty()) plan.protectedFolders.push_back(stored);

    LibraryShareTools tools;
    const std::unique_ptr<IAudioEncoder> encoder = tools.encoder(plan.format);
    const std::unique_ptr<IShareWriter> writer = tools.writer(plan.target, plan.targetPath);
    const auto spreadsheet = [&tools](const std::string& path) { return tools.spreadsheet(path); };

    InterruptStop interrupt;
    TerminalShareObserver observer;
    const ShareReport report = ShareRun(*encoder, *writer, spreadsheet).run(plan, interrupt.token(), observer);
    if (report.outcome != ShareOutcome::Written) {
        m_context.messages.showMessage(report.message, MessageIcon::Warning);
        return kExitMessage;
    }
    std::cout << "已分享 " << report.names.size() << " 个录音到 " << cellText(plan.targetPath) << "（"
              << sizeInMegabytes(report.size) << "）\n";
    if (plan.target == ShareTarget::Zip) {
        if (const std::string warning = mailLimitWarning(report.size); !warning.empty()) std::cerr << warning << '\n';
    }
    return kExitOk;
}

std::optional<std::vector<ShareItem>> ShareCommand::searchItems() {
    SearchRowCollector rows;
    StderrMessages searchMessages;
    FailureTrackingSink messages(searchMessages, kMsgNothingFound);
    AnnotatedSearch search(*m_context.catalogues, m_searchFolder);
    search.run(m_searchOptions.criteria(), rows, messages);
    if (messages.failed() || rows.rows().empty()) return std::nullopt;

    std::vector<ShareItem> items;
    for (const std::vector<std::string>& cells : rows.rows()) {
        ShareItem item;
        std::copy_n(cells.begin(), item.row.size(), item.row.begin());
        item.row.name = cells.back();
        item.row.remark = search.annotations().remarkOfFile(cells[1]);
        item.path = item.row[kPathColumn];
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<std::vector<ShareItem>> ShareCommand::fileItems() {
    std::vector<ShareItem> items;
    for (const std::string& file : m_files) {
        const std::string path = std::filesystem::absolute(file).lexically_normal().string();
        const std::optional<SearchResultRow> row = addedFileRow(path, static_cast<int>(items.size()));
        if (!row) {
            m_context.messages.showMessage("不是可读取的录音文件：" + file, MessageIcon::Warning);
            return std::nullopt;
        }
        items.push_back({path, *row});
    }
    // Names and remarks from the catalogue of each recording's folder, read without changing it.
    std::map<std::string, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < items.size(); ++i) {
        byFolder[std::filesystem::path(items[i].path).parent_path().string()].push_back(i);
    }
    for (const auto& [folder, indexes] : byFolder) {
        CatalogueSession archive(*m_context.catalogues, folder);
        archive.open(CatalogueAccess::ReadOnly);
        std::vector<Contact> contacts;
        if (archive.isOpen()) archive.phonebook()->contacts(contacts);
        const ContactDirectory directory(contacts);
        std::vector<SearchResultRow> rows;
        for (const std::size_t i : indexes) rows.push_back(items[i].row);
        RecordingAnnotations(directory, archive.catalogue(), archive.notes()).annotate(rows, folder + "/");
        for (std::size_t k = 0; k < indexes.size(); ++k) items[indexes[k]].row = std::move(rows[k]);
    }
    return items;
}

}  // namespace tapelink::cli
