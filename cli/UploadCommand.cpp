#include "cli/UploadCommand.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>

#include "archive/ArchiveOnPhone.h"
#include "archive/ReplacedFileKeeper.h"
#include "catalogue/CatalogueLedger.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/FailureTrackingSink.h"
#include "cli/NonBlank.h"
#include "cli/PhoneListScan.h"
#include "cli/TeamPublishing.h"
#include "cli/TerminalUploadObserver.h"
#include "cli/UploadNewRun.h"
#include "cli/ValueChecks.h"
#include "phone/UploadEngine.h"
#include "phone/VolumeMessages.h"
#include "platform/LinuxDeviceLocator.h"
#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"

namespace tapelink::cli {

namespace {

constexpr int kExitInterrupted = 130;

// Set by SIGINT and SIGTERM; a signal handler can reach nothing else.
std::atomic<bool> g_interrupted{false};

void onInterrupt(int) {
    g_interrupted = true;
}

// Without SA_RESTART, so that a prompt waiting for an answer is interrupted too.
void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

class PhoneListTexts : public IListTexts {
public:
    explicit PhoneListTexts(const PhoneList& list) : m_list(list) {}
    int rowCount() const override { return static_cast<int>(m_list.rows.size()); }
    int columnCount() const override { return static_cast<int>(kRecordingColumnCount); }
    std::string columnTitle(int column) const override {
        return recordingColumnTitles()[static_cast<std::size_t>(column)];
    }
    std::string cellText(int row, int column) const override {
        return m_list.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }

private:
    const PhoneList& m_list;
};

// The window's part for a command line: the folder is given, nothing is asked, and the worker runs at
// once on this thread.
class CommandLineHost : public IUploadHost {
public:
    CommandLineHost(std::string driveRoot, std::string uploadFolder, IUploadObserver& observer, std::stop_token stop)
        : m_driveRoot(std::move(driveRoot)),
          m_uploadFolder(std::move(uploadFolder)),
          m_observer(observer),
          m_stop(std::move(stop)) {}
    void setEngine(UploadEngine& engine) { m_engine = &engine; }

    std::string driveRoot() const override { return m_driveRoot; }
    std::string uploadFolder() const override { return m_uploadFolder; }
    bool uploadFolderConfirmed() const override { return true; }
    bool pickUploadFolder() override { return false; }
    std::optional<CategoryChoice> askCategory(CategoryCriteria&) override { return std::nullopt; }
    void setProgressAreaShown(bool) override {}
    bool workerExists() const override { return false; }
    bool startWorker(const UploadTask& task) override {
        report = m_engine->WorkerMain(task, m_stop, m_observer);
        started = true;
        return true;
    }
    void cancelWorker() override {}

    bool started = false;
    UploadReport report;

private:
    std::string m_driveRoot;
    std::string m_uploadFolder;
    IUploadObserver& m_observer;
    std::stop_token m_stop;
    UploadEngine* m_engine = nullptr;
};

bool parseDate(const std::string& text, std::chrono::year_month_day& date) {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2u-%2u%c", &year, &month, &day, &tail) != 3) return false;
    date = std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day};
    return date.ok();
}

}  // namespace

UploadCommand::UploadCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("upload", "Copy recordings from the telephone into the upload folder")),
      m_context(context) {
    ArchiveOption(*m_command, m_to, "Upload (archive) folder (default: the one stored in the settings)", true);
    auto* selection = m_command->add_option_group("selection", "Which recordings to upload");
    selection->add_flag("--all", m_all, "Every recording");
    m_choice.addOptions(selection, "list", false);
    selection->add_option("--date", m_date, "The recordings of one day, YYYY-MM-DD")->check(nonBlank());
    selection->add_option("--number", m_number, "The recordings whose phone number contains TEXT")->check(nonBlank());
    selection->add_flag("--new", m_new, "Every recording whose content is not yet in the archive");
    selection->require_option(1);
    m_command
        ->add_option("--overwrite", m_overwrite,
                     "Existing files: ask, all (replace) or none (keep). Without a terminal to ask on, ask keeps "
                     "them and says so on stderr")
        ->check(oneOf({"ask", "all", "none"}));
}

std::string UploadCommand::uploadFolder() const {
    if (!m_to.empty()) return m_to;
    SettingsStore store;
    store.Load(settingsFilePath(profileFolderPath()));
    return store.GetRecord().uploadFolder();
}

int UploadCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    const std::string folder = uploadFolder();
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    if (archivePlace(root, folder) == ArchivePlace::OnPhone) {
        m_context.messages.showMessage(archiveOnPhoneText(folder), MessageIcon::Stop);
        return kExitMessage;
    }
    if (m_new) return runNew(root, folder);
    std::chrono::year_month_day date{};
    if (!m_date.empty() && !parseDate(m_date, date)) {
        std::cerr << "--date：不是 YYYY-MM-DD 形式的日期：" << m_date << '\n';
        return kExitUsage;
    }

    // A file error of the scan (a REC name that could not be moved) makes the whole command fail at its end;
    // a read-only telephone is uploaded all the same.
    FailureTrackingSink scanMessages(m_context.messages, kPhoneReadOnly);
    const PhoneList list = scanPhoneList(root, scanMessages);
    if (!phoneListReadable(list.result, scanMessages)) return kExitMessage;
    std::vector<std::string> names;
    for (const auto& row : list.rows) names.push_back(row[1]);
    std::vector<int> selected;
    if (m_choice.given()) {
        int status = kExitOk;
        auto chosen = m_choice.resolve(names, list.result.renamed, status);
        if (!chosen) return status;
        selected = std::move(*chosen);
    }

    const OverwritePolicy policy = m_overwrite == "all"    ? OverwritePolicy::All
                                   : m_overwrite == "none" ? OverwritePolicy::None
                                                           : OverwritePolicy::Ask;
    std::stop_source stop;
    catchInterrupts();
    TerminalUploadObserver observer(std::move(names), policy, stop, g_interrupted);
    CommandLineHost host(root, folder, observer, stop.get_token());
    const PhoneListTexts texts(list);
    UploadEngine engine(texts, host, m_context.messages);
    host.setEngine(engine);
    // Nothing is added to an archive without its lock; the catalogue records every copy. Replaced files are
    // kept aside whether or not the catalogue opens.
    const std::unique_ptr<IArchiveWriteLock> lock = m_context.catalogues->writeLock(folder);
    const bool folderThere = ::access(folder.c_str(), F_OK) == 0;
    if (folderThere && !lock->held()) {
        m_context.messages.showMessage(lock->failure(), MessageIcon::Warning);
        return kExitMessage;
    }
    OpenArchive archive = folderThere ? openArchive(*m_context.catalogues, folder, m_context.messages) : OpenArchive{};
    std::optional<CatalogueLedger> ledger;
    ReplacedFileKeeper keeper(folder);
    if (archive.catalogue && archive.catalogue->writable()) {
        ledger.emplace(*archive.catalogue, folder, "upload", LinuxDeviceLocator().phoneSerial(root));
        engine.setLedger(&*ledger);
    } else {
        engine.setLedger(&keeper);
    }

    if (m_all) {
        engine.UploadAll();
    } else if (m_choice.given()) {
        engine.UploadSelected(selected);
    } else if (!m_date.empty()) {
        engine.UploadByDate(date);
    } else {
        engine.UploadByNumber(m_number);
    }

    if (!host.started) return kExitMessage;
    const UploadReport& report = host.report;
    if (report.terminated) {
        std::cerr << "已中断。\n";
        return kExitInterrupted;
    }
    // Chosen recordings are named one a line, so a script can check what was done.
    if (m_choice.given()) {
        for (const auto& name : observer.uploadedNames()) std::cout << name << '\n';
    }
    std::cout << "已上传 " << report.copied << " 个，跳过 " << report.skipped << " 个，失败 " << report.failed << " 个";
    if (report.alreadyArchived > 0) std::cout << "，内容已在存档中 " << report.alreadyArchived << " 个";
    std::cout << '\n';
    if (::access(folder.c_str(), F_OK) == 0) publishAfterUpload(*m_context.catalogues, folder);
    return report.failed > 0 || scanMessages.failed() ? kExitMessage : kExitOk;
}

int UploadCommand::runNew(const std::string& root, const std::string& folder) {
    std::stop_source stop;
    catchInterrupts();
    const UploadNewResult result =
        runUploadNew(*m_context.catalogues, root, folder, m_context.messages, stop, g_interrupted);
    if (!result.ran) return kExitMessage;
    if (result.report.terminated) {
        std::cerr << "已中断。\n";
        return kExitInterrupted;
    }
    std::cout << uploadNewSummary(result.report) << '\n';
    publishAfterUpload(*m_context.catalogues, folder);
    return result.report.failed > 0 || result.report.refused ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
