#include "app/ui/MainArchiveController.h"

#include <QAction>
#include <QFile>
#include <QProgressBar>
#include <ctime>
#include <system_error>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/PhoneListModel.h"
#include "archive/ArchiveMarks.h"
#include "archive/ArchiveOnPhone.h"
#include "archive/ArchiveVerify.h"
#include "archive/ArchiveWriteLock.h"
#include "archive/ArchivedClearing.h"
#include "archive/ArchivedRecordings.h"
#include "archive/CatalogueReconciler.h"
#include "archive/NewRecordingOffload.h"
#include "phone/DeviceStatus.h"
#include "phone/ui/WorkerMailbox.h"
#include "platform/SqliteArchiveCatalogue.h"

namespace tapelink {

enum class ArchiveWork { Reconcile, UploadNew, Verify, FindArchived, Clear };

struct ArchiveWorkResult {
    ArchiveWork kind = ArchiveWork::Reconcile;
    int generation = 0;  // which start of the worker this is the result of
    bool automatic = false;
    bool opened = false;
    CatalogueStatus status = CatalogueStatus::Ok;
    std::string setAsidePath;
    OffloadReport offload;
    VerifyReport verify;
    std::vector<RecordingEntry> archived;  // verified as archived, in list order
    ClearingReport clearing;
    ClearingRule rule;
    std::shared_ptr<const ContactDirectory> directory;  // the phonebook as read by a reconciliation
    std::vector<std::string> messages;                  // the worker's messages, shown once it has ended
};

namespace {

constexpr const char* kCatalogueFailed = "存档索引无法打开！";
constexpr const char* kVerifyDone = "存档校验完毕，%1 个文件全部完好。";
constexpr const char* kNothingArchived = "电话机上没有已确认存档的录音。";
constexpr const char* kTransferDone = "传输完毕！";
// The report scrolls, so it can name many; past this the count stands for the rest.
constexpr std::size_t kListedNames = 200;

QString setAsideText(const std::string& path) {
    return QStringLiteral("存档索引已损坏，原文件已保存为 %1，已根据上传文件夹重建存档索引。")
        .arg(QFile::decodeName(QByteArray::fromStdString(path)));
}

QString listOf(const char* title, const std::vector<std::string>& names) {
    if (names.empty()) return {};
    QString text = QString::fromUtf8(title) + QStringLiteral("：");
    for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i)
        text += QStringLiteral("\n  ") + QString::fromStdString(names[i]);
    if (names.size() > kListedNames) text += QStringLiteral("\n  ……（共 %1 个）").arg(names.size());
    return text + QStringLiteral("\n");
}

// The offload's reports, carried to the window's progress area and caption; its messages kept for the end.
// Opens the folder's catalogue and brings it up to date with the folder, telling result how the opening
// went; null when no catalogue could be opened.
std::unique_ptr<IArchiveCatalogue> openReconciled(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                                                  std::stop_token stop, ArchiveWorkResult& result) {
    CatalogueOpening opening = catalogues.open(folder, CatalogueAccess::ReadWrite);
    result.setAsidePath = opening.setAsidePath;
    result.status = opening.status;
    if (!opening.catalogue) return nullptr;
    result.opened = true;
    reconcileCatalogue(*opening.catalogue, folder, stop);
    return std::move(opening.catalogue);
}

// Hashing progress, shown in the window's progress bar from the worker.
HashProgress progressOnWindow(WorkerMailbox& mailbox, CTapelinkDlg& window) {
    return [mailbox = &mailbox, window = &window](int done, int total) {
        mailbox->post([window, done, total] {
            window->progressBar()->setRange(0, total);
            window->progressBar()->setValue(done);
        });
    };
}

// The worker's messages, kept for the window to show once the worker has ended.
class KeptMessages : public IMessageSink {
public:
    explicit KeptMessages(std::vector<std::string>& texts) : m_texts(texts) {}
    void showMessage(const std::string& text, MessageIcon) override { m_texts.push_back(text); }

private:
    std::vector<std::string>& m_texts;
};

class WindowProgress : public IUploadObserver {
public:
    WindowProgress(WorkerMailbox& mailbox, CTapelinkDlg& window, ArchiveWorkResult& result)
        : m_mailbox(mailbox), m_window(&window), m_result(result) {}
    std::string fileNameOfRow(int) override { return {}; }
    void setStatusText(const std::string& statusText) override {
        post([statusText](CTapelinkDlg& window) { window.setStatusText(statusText); });
    }
    void setProgressRange(int maximum) override {
        post([maximum](CTapelinkDlg& window) { window.progressBar()->setRange(0, maximum); });
    }
    void setProgressPosition(int position) override {
        post([position](CTapelinkDlg& window) { window.progressBar()->setValue(position); });
    }
    void setProgressVisible(bool) override {}
    void showMessage(const std::string& text, MessageIcon) override { m_result.messages.push_back(text); }
    OverwriteDecision askOverwrite(const std::string&) override { return OverwriteDecision::No; }

private:
    template <typename F>
    void post(F fn) {
        CTapelinkDlg* window = m_window;
        m_mailbox.post([window, fn] { fn(*window); });
    }

    WorkerMailbox& m_mailbox;
    CTapelinkDlg* m_window;
    ArchiveWorkResult& m_result;
};

}  // namespace

MainArchiveController::MainArchiveController(CTapelinkDlg& window, const MainWindowServices& services,
                                             std::string preferencesPath)
    : QObject(&window),
      m_window(window),
      m_services(services),
      m_preferencesPath(std::move(preferencesPath)),
      m_preferences(loadArchivePreferences(m_preferencesPath)),
      m_mailbox(new WorkerMailbox(this)) {
    if (QAction* item = m_window.action(cmd::kUploadNewOnArrival)) item->setChecked(m_preferences.uploadNewOnArrival);
}

MainArchiveController::~MainArchiveController() {
    terminate();
    if (m_thread.joinable()) m_thread.join();
    m_mailbox->close();
}

IArchiveCatalogueOpener& MainArchiveController::catalogueOpener() {
    if (m_services.catalogueOpener != nullptr) return *m_services.catalogueOpener;
    if (!m_ownOpener) m_ownOpener = std::make_unique<SqliteCatalogueOpener>();
    return *m_ownOpener;
}

std::string MainArchiveController::archiveFolder() const {
    return m_window.settingsCopy().uploadFolder();
}

bool MainArchiveController::runCommand(int id) {
    switch (id) {
        case cmd::kUploadNew:
            uploadNew(false);
            return true;
        case cmd::kUploadNewOnArrival:
            if (QAction* item = m_window.action(id)) m_preferences.uploadNewOnArrival = item->isChecked();
            saveArchivePreferences(m_preferencesPath, m_preferences);
            return true;
        case cmd::kVerifyArchive:
            verify();
            return true;
        case cmd::kDeleteArchived:
            findArchived();
            return true;
        default:
            return false;
    }
}

void MainArchiveController::terminate() {
    m_terminating = true;
    m_stopRequest = true;
    if (m_thread.joinable()) m_thread.request_stop();
}

bool MainArchiveController::startWork(bool command, Work work) {
    if (m_terminating) return false;
    if (m_thread.joinable()) {
        // A reconciliation gives way (it keeps what it has written); a running command refuses the next.
        if (m_commandRunning) return false;
        m_thread.request_stop();
        m_thread.join();
    }
    m_stopRequest = false;
    auto result = std::make_shared<ArchiveWorkResult>();
    result->generation = ++m_generation;
    try {
        m_thread = std::jthread([this, work, result](std::stop_token stop) {
            work(stop, *result);
            m_mailbox->post([this, result] { onWorkFinished(result); });
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_commandRunning = command;
    if (command) {
        m_window.setUploadRunning(true);
        m_window.progressBar()->setValue(0);
        m_window.setProgressAreaShown(true);
    }
    return true;
}

void MainArchiveController::listChanged() {
    refreshMarks();
    reconcile();
}

void MainArchiveController::refreshMarks() {
    const std::vector<RecordingEntry>& entries = m_window.phoneList().entries();
    std::vector<std::string> marks(entries.size());
    const std::string folder = archiveFolder();
    if (!folder.empty() && !entries.empty() && !m_window.folderOnPhone(folder, false)) {
        // The catalogue as it stands: read-only, and no worker needed for a lookup per row.
        const CatalogueOpening opening = catalogueOpener().open(folder, CatalogueAccess::ReadOnly);
        if (opening.catalogue) {
            // No telephone file is read here: a recording the catalogue can't vouch for stays unmarked.
            ArchiveMarker marker(*opening.catalogue, m_window.locator().phoneSerial(m_window.driveRoot()));
            opening.catalogue->withSnapshot([&] {
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    marks[i] = archiveMarkText(marker.lookUp(entries[i]).mark);
                }
            });
        }
    }
    m_window.phoneList().setArchiveMarks(std::move(marks));
    // The directory is built on the worker; here each row only looks its number up.
    std::vector<std::string> names(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) names[i] = m_directory->nameFor(entries[i].phoneNumber);
    m_window.phoneList().setNames(std::move(names));
    emit marksRefreshed();
}

void MainArchiveController::reconcile() {
    const std::string folder = archiveFolder();
    // A folder on the telephone gets no catalogue there; the commands say why when they are chosen.
    if (folder.empty() || m_window.folderOnPhone(folder, false)) return;
    if (m_thread.joinable() && m_commandRunning) return;  // the command reconciles first anyway
    if (m_thread.joinable()) {
        m_reconcileAgain = true;
        return;
    }
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    startWork(false, [catalogues, folder](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Reconcile;
        CatalogueOpening opening = catalogues->open(folder, CatalogueAccess::ReadWrite);
        result.setAsidePath = opening.setAsidePath;
        result.status = opening.status;
        if (!opening.catalogue) return;
        result.opened = true;
        result.status = reconcileCatalogue(*opening.catalogue, folder, stop).status;
        std::vector<Contact> contacts;
        if (opening.catalogue->phonebook().contacts(contacts) == CatalogueStatus::Ok)
            result.directory = std::make_shared<const ContactDirectory>(contacts);
    });
}

void MainArchiveController::uploadNew(bool automatic) {
    if (m_window.uploadRunning()) return;
    if (m_window.driveRoot().empty()) {
        if (!automatic) m_window.messages().showMessage(kDeviceNotReady, MessageIcon::Warning);
        return;
    }
    if (!automatic && !m_window.uploadFolderConfirmed() && !m_window.pickUploadFolder()) return;
    const std::string folder = archiveFolder();
    if (folder.empty() || m_window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const std::string root = m_window.driveRoot();
    const std::string serial = m_window.locator().phoneSerial(root);
    const std::vector<RecordingEntry> entries = m_window.phoneList().entries();
    CTapelinkDlg* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    const std::atomic<bool>* stopRequest = &m_stopRequest;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::UploadNew;
        result.automatic = automatic;
        const ArchiveWriteLock lock(folder);
        if (!lock.held()) {
            // Nothing is added to an archive another program may be writing; the user learns why.
            result.messages.push_back(lock.failure());
            return;
        }
        const std::unique_ptr<IArchiveCatalogue> catalogue = openReconciled(*catalogues, folder, stop, result);
        if (!catalogue) return;
        WindowProgress progress(*mailbox, *window, result);
        NewRecordingOffload offload(*catalogue, folder, {"上传新录音", serial});
        result.offload = offload.run(root, entries, stop, *stopRequest, progress);
    });
}

void MainArchiveController::verify() {
    if (m_window.uploadRunning()) return;
    const std::string folder = archiveFolder();
    if (folder.empty() && !m_window.pickUploadFolder()) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const std::string target = archiveFolder();
    if (m_window.folderOnPhone(target, true)) return;
    CTapelinkDlg* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Verify;
        const std::unique_ptr<IArchiveCatalogue> catalogue = openReconciled(*catalogues, target, stop, result);
        if (!catalogue) return;
        result.verify = verifyArchive(*catalogue, target, stop, progressOnWindow(*mailbox, *window));
    });
}

void MainArchiveController::findArchived() {
    if (m_window.uploadRunning()) return;
    if (m_window.driveRoot().empty()) {
        m_window.messages().showMessage(kDeviceNotReady, MessageIcon::Warning);
        return;
    }
    if (archiveFolder().empty() && !m_window.pickUploadFolder()) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const std::string folder = archiveFolder();
    if (m_window.folderOnPhone(folder, true)) return;
    const std::string root = m_window.driveRoot();
    const std::vector<RecordingEntry> entries = m_window.phoneList().entries();
    CTapelinkDlg* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::FindArchived;
        const std::unique_ptr<IArchiveCatalogue> catalogue = openReconciled(*catalogues, folder, stop, result);
        if (!catalogue) return;
        // Every verified recording: the retention rule is chosen in the confirmation, which shows its count.
        const std::vector<std::string> names =
            verifiedArchivedNames(*catalogue, folder, root, entries, {}, stop, progressOnWindow(*mailbox, *window));
        std::size_t next = 0;
        for (const RecordingEntry& entry : entries) {
            if (next < names.size() && entry.fileName == names[next]) {
                result.archived.push_back(entry);
                ++next;
            }
        }
    });
}

void MainArchiveController::deleteArchived(const std::vector<RecordingEntry>& archived) {
    if (archived.empty()) {
        m_window.messages().showMessage(kNothingArchived, MessageIcon::Warning);
        return;
    }
    const std::time_t now = std::time(nullptr);
    const auto chosen = [&](std::optional<int> olderThanDays) {
        std::vector<std::string> names;
        for (const RecordingEntry& entry : archived) {
            if (oldEnough(entry, {olderThanDays, now})) names.push_back(entry.fileName);
        }
        return names;
    };
    const auto choice = m_services.chooseClearing(
        [&](std::optional<int> olderThanDays) { return static_cast<int>(chosen(olderThanDays).size()); },
        m_preferences.clearOlderThanDays, &m_window);
    if (!choice) return;
    if (m_preferences.clearOlderThanDays != *choice) {
        m_preferences.clearOlderThanDays = *choice;
        saveArchivePreferences(m_preferencesPath, m_preferences);
    }
    if (chosen(*choice).empty()) return;
    clearConfirmed(archived, {*choice, now});
}

void MainArchiveController::clearConfirmed(const std::vector<RecordingEntry>& archived, const ClearingRule& rule) {
    const std::string root = m_window.driveRoot();
    const std::string folder = archiveFolder();
    if (root.empty() || folder.empty() || m_window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const PhoneIndexHeader header = m_window.phoneIndex();
    CTapelinkDlg* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    // The count confirmed was an estimate: each recording is checked again now, right before it goes.
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Clear;
        result.rule = rule;
        const std::unique_ptr<IArchiveCatalogue> catalogue = openReconciled(*catalogues, folder, stop, result);
        if (!catalogue) return;
        PhoneIndexHeader written = header;
        KeptMessages messages(result.messages);
        result.clearing = clearArchived(*catalogue, folder, root, archived, rule, written, messages, stop,
                                        progressOnWindow(*mailbox, *window));
    });
}

void MainArchiveController::onWorkFinished(const std::shared_ptr<ArchiveWorkResult>& result) {
    // A reconciliation that gave way to a command reports after the command has started: not its end.
    if (result->generation != m_generation) return;
    if (m_thread.joinable()) m_thread.join();
    const bool wasCommand = m_commandRunning;
    m_commandRunning = false;
    if (wasCommand) {
        m_window.setProgressAreaShown(false);
        m_window.setUploadRunning(false);
    }
    emit workerEnded();
    if (m_terminating) return;

    IMessageSink& messages = m_window.messages();
    if (!result->setAsidePath.empty()) {
        messages.showMessage(setAsideText(result->setAsidePath).toStdString(), MessageIcon::Warning);
    }
    if (!result->opened && result->kind != ArchiveWork::Reconcile && result->messages.empty()) {
        messages.showMessage(kCatalogueFailed, MessageIcon::Warning);
    }
    if (result->directory) m_directory = result->directory;
    switch (result->kind) {
        case ArchiveWork::Reconcile:
            break;
        case ArchiveWork::UploadNew: {
            const OffloadReport& report = result->offload;
            for (const std::string& text : result->messages) messages.showMessage(text, MessageIcon::Warning);
            if (result->opened && !report.terminated) {
                m_window.setStatusText(std::string(report.sourceGone ? kStatusDisconnected : kStatusConnected) +
                                       "，已存档 " + std::to_string(report.archived) + " 条新录音");
                if (!result->automatic && result->messages.empty())
                    messages.showMessage(kTransferDone, MessageIcon::Information);
            }
            break;
        }
        case ArchiveWork::Verify: {
            const VerifyReport& report = result->verify;
            if (!result->opened || report.stopped) break;
            if (report.allGood()) {
                messages.showMessage(QString::fromUtf8(kVerifyDone).arg(report.checked).toStdString(),
                                     MessageIcon::Information);
            } else {
                const QString text = QStringLiteral("存档校验发现问题：\n") + listOf("内容已改变", report.changed) +
                                     listOf("文件缺失", report.missing) + listOf("未记录的文件", report.unrecorded) +
                                     listOf("无法读取", report.unreadable);
                messages.showMessage(text.toStdString(), MessageIcon::Warning);
            }
            break;
        }
        case ArchiveWork::FindArchived:
            if (result->opened) deleteArchived(result->archived);
            break;
        case ArchiveWork::Clear:
            for (const std::string& text : result->messages) messages.showMessage(text, MessageIcon::Stop);
            if (result->opened) {
                const ClearingReport& report = result->clearing;
                messages.showMessage(clearingSummary(report, result->rule, 20),
                                     report.failed() ? MessageIcon::Warning : MessageIcon::Information);
            }
            // The index written on the telephone is read back with the list.
            m_window.onPhoneRescan();
            break;
    }
    if (result->kind != ArchiveWork::Reconcile || m_reconcileAgain) {
        m_reconcileAgain = false;
        if (result->kind == ArchiveWork::Reconcile) {
            reconcile();
            return;
        }
    }
    refreshMarks();
}

void MainArchiveController::phoneArrived() {
    if (m_preferences.uploadNewOnArrival && !archiveFolder().empty()) uploadNew(true);
}

}  // namespace tapelink
