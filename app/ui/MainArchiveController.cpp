#include "app/ui/MainArchiveController.h"

#include <QAction>
#include <QFile>
#include <QProgressBar>
#include <ctime>
#include <set>
#include <system_error>

#include "app/ui/CommandIds.h"
#include "app/ui/IArchiveWindow.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/PhoneListModel.h"
#include "app/ui/UploadPublishing.h"
#include "archive/ArchiveOnPhone.h"
#include "catalogue/ArchiveMarks.h"
#include "catalogue/ArchiveVerify.h"
#include "catalogue/ArchivedClearing.h"
#include "catalogue/ArchivedRecordings.h"
#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueSession.h"
#include "catalogue/NewRecordingOffload.h"
#include "common/EitherStop.h"
#include "compaction/ArchiveCompaction.h"
#include "phone/DeviceStatus.h"
#include "phone/ui/WorkerMailbox.h"
#include "retention/ExpiredRecordings.h"
#include "retention/ui/RetentionTexts.h"
#include "team/TeamStatusText.h"

namespace tapelink {

enum class ArchiveWork {
    Reconcile,
    UploadNew,
    Verify,
    FindArchived,
    Clear,
    Compact,
    PreviewExpiry,
    Expire,
    ListExpired,
    RestoreExpired,
    PurgeExpired
};

struct ArchiveWorkResult {
    ArchiveWork kind = ArchiveWork::Reconcile;
    int generation = 0;  // which start of the worker this is the result of
    bool automatic = false;
    bool opened = false;
    CatalogueStatus status = CatalogueStatus::Ok;
    std::string setAsidePath;
    OffloadReport offload;
    std::string unpublished;  // what an upload left unpublished on the team archive, in the window's words
    VerifyReport verify;
    CompactionReport compaction;
    RetentionPreview preview;
    int days = 0;          // the rule's N for a preview, the second period for a move
    std::int64_t now = 0;  // the moment the preview was planned for
    std::vector<CatalogueRecord> expiredRows;
    ExpiryOutcome expiry;
    ExpiryOutcome purged;
    std::vector<RecordingEntry> archived;  // verified as archived, in list order
    ClearingReport clearing;
    ClearingRule rule;
    std::shared_ptr<const ContactDirectory> directory;  // the phonebook as read by a reconciliation
    std::vector<std::string> messages;                  // the worker's messages, shown once it has ended
};

namespace {

constexpr const char* kVerifyDone = "存档校验完毕，%1 个文件全部完好。";
constexpr const char* kCompactQuestion =
    "将上传文件夹中已存档的录音转换为Opus格式（约为原大小的一半以下），每个转换后的文件校验无误并登记后才删除原WAV文件"
    "。是否继续？";
constexpr const char* kNothingArchived = "电话机上没有已确认存档的录音。";
constexpr const char* kNoRetentionRule = "没有设置“保留 N 天”：请在“上传路径”中勾选“保留”并填写天数。";
constexpr const char* kNoNotes = "无法读取存档索引或备注，没有移动任何录音。";
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

QString megabytes(std::int64_t bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

void showCompactionSummary(const CompactionReport& report, IMessageSink& messages) {
    QString text = QStringLiteral("已压缩 %1 个录音，%2 → %3，节省 %4。")
                       .arg(report.compacted)
                       .arg(megabytes(static_cast<std::int64_t>(report.bytesBefore)),
                            megabytes(static_cast<std::int64_t>(report.bytesAfter)), megabytes(report.bytesSaved()));
    if (!report.folderOpen) text += QStringLiteral("\n上传路径错误！");
    if (report.status == CatalogueStatus::ReadOnly) {
        text += QStringLiteral("\n上传文件夹或存档索引不可写，未压缩任何录音。");
    } else if (report.status != CatalogueStatus::Ok) {
        text += QStringLiteral("\n无法写入存档索引，压缩已停止，原录音未删除。");
    }
    if (report.diskFull) text += QStringLiteral("\n上传文件夹所在的磁盘已满，压缩已停止，其余录音未改动。");
    if (report.stopped) text += QStringLiteral("\n压缩已停止，其余录音未改动。");
    std::vector<std::string> failed;
    for (const CompactionFailure& failure : report.failures)
        failed.push_back(failure.fileName + "（" + failure.reason + "）");
    text += QStringLiteral("\n") + listOf("未压缩", failed);
    messages.showMessage(text.trimmed().toStdString(),
                         report.allGood() ? MessageIcon::Information : MessageIcon::Warning);
}

// Opens the folder's catalogue and brings it up to date with the folder, telling result how the opening
// went; false when no catalogue could be opened.
bool openReconciled(CatalogueSession& session, std::stop_token stop, ArchiveWorkResult& result) {
    session.openReconciled(std::move(stop));
    result.setAsidePath = session.setAsidePath();
    result.status = session.status();
    result.opened = session.isOpen();
    return result.opened;
}

// Hashing progress, shown in the window's progress bar from the worker.
HashProgress progressOnWindow(WorkerMailbox& mailbox, IArchiveWindow& window) {
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
    WindowProgress(WorkerMailbox& mailbox, IArchiveWindow& window, ArchiveWorkResult& result)
        : m_mailbox(mailbox), m_window(&window), m_result(result) {}
    std::string fileNameOfRow(int) override { return {}; }
    void setStatusText(const std::string& statusText) override {
        post([statusText](IArchiveWindow& window) { window.setStatusText(statusText); });
    }
    void setProgressRange(int maximum) override {
        post([maximum](IArchiveWindow& window) { window.progressBar()->setRange(0, maximum); });
    }
    void setProgressPosition(int position) override {
        post([position](IArchiveWindow& window) { window.progressBar()->setValue(position); });
    }
    void setProgressVisible(bool) override {}
    void showMessage(const std::string& text, MessageIcon) override { m_result.messages.push_back(text); }
    OverwriteDecision askOverwrite(const std::string&) override { return OverwriteDecision::No; }

private:
    template <typename F>
    void post(F fn) {
        IArchiveWindow* window = m_window;
        m_mailbox.post([window, fn] { fn(*window); });
    }

    WorkerMailbox& m_mailbox;
    IArchiveWindow* m_window;
    ArchiveWorkResult& m_result;
};

}  // namespace

MainArchiveController::MainArchiveController(IArchiveWindow& window, const MainWindowServices& services,
                                             std::string preferencesPath, QObject* parent)
    : QObject(parent),
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

IArchiveCatalogueOpener& MainArchiveController::catalogueOpener() const {
    return *m_services.catalogueOpener;
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
        case cmd::kCompactArchive:
            compact();
            return true;
        case cmd::kExpireArchive:
            previewExpiry();
            return true;
        case cmd::kExpiredRecordings:
            listExpired();
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
    m_stopPressed = std::stop_source();
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
        CatalogueSession session(catalogueOpener(), folder);
        session.open(CatalogueAccess::ReadOnly);
        if (session.isOpen()) {
            // No telephone file is read here: a recording the catalogue can't vouch for stays unmarked.
            ArchiveMarker marker(*session.catalogue(), m_window.locator().phoneSerial(m_window.driveRoot()));
            const CatalogueStatus read = session.catalogue()->withSnapshot([&] {
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    marks[i] = archiveMarkText(marker.lookUp(entries[i]).mark);
                }
            });
            // Marks read without a steady view may be wrong: none are shown rather than wrong ones.
            if (read != CatalogueStatus::Ok) marks.assign(entries.size(), {});
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
        CatalogueSession session(*catalogues, folder);
        if (!openReconciled(session, stop, result)) return;
        std::vector<Contact> contacts;
        if (session.phonebook()->contacts(contacts) == CatalogueStatus::Ok)
            result.directory = std::make_shared<const ContactDirectory>(contacts);
    });
}

void MainArchiveController::contactsChanged() {
    if (m_thread.joinable() && m_commandRunning) {
        m_contactsChanged = true;
        return;
    }
    reconcile();
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
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    const std::atomic<bool>* stopRequest = &m_stopRequest;
    const UploadPublishing publishing(m_services);
    const std::stop_source* stopPressed = &m_stopPressed;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::UploadNew;
        result.automatic = automatic;
        CatalogueSession session(*catalogues, folder);
        std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
        if (!lock->held()) {
            // Nothing is added to an archive another program may be writing; the user learns why.
            result.messages.push_back(lock->failure());
            return;
        }
        if (!openReconciled(session, stop, result)) return;
        WindowProgress progress(*mailbox, *window, result);
        NewRecordingOffload offload(*session.catalogue(), folder, {"上传新录音", serial});
        result.offload = offload.run(root, entries, stop, *stopRequest, progress);
        // Publishing only reads the archive (and notes what the server took): other programs may write meanwhile.
        lock.reset();
        if (!result.offload.terminated && !stop.stop_requested()) {
            const EitherStop either(stop, stopPressed->get_token());
            result.unpublished = publishing.publish(session, either.token(), progress);
        }
    });
}

void MainArchiveController::verify() {
    if (m_window.uploadRunning()) return;
    const std::string folder = archiveFolder();
    if (folder.empty() && !m_window.pickUploadFolder()) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const std::string target = archiveFolder();
    if (m_window.folderOnPhone(target, true)) return;
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Verify;
        CatalogueSession session(*catalogues, target);
        if (!openReconciled(session, stop, result)) return;
        result.verify = verifyArchive(*session.catalogue(), target, stop, progressOnWindow(*mailbox, *window));
    });
}

void MainArchiveController::compact() {
    if (m_window.uploadRunning()) return;
    if (archiveFolder().empty() && !m_window.pickUploadFolder()) return;
    const std::string target = archiveFolder();
    if (m_window.folderOnPhone(target, true)) return;
    if (!m_services.confirm(QString::fromUtf8(kCompactQuestion), m_window.dialogOwner())) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    const auto makeEncoder = m_services.makeCompactEncoder;
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    const std::atomic<bool>* stopRequest = &m_stopRequest;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Compact;
        CatalogueSession session(*catalogues, target);
        const std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
        if (!lock->held()) {
            result.messages.push_back("无法锁定上传路径 " + target + "，未压缩任何录音。");
            return;
        }
        if (!openReconciled(session, stop, result)) return;
        const std::unique_ptr<IAudioEncoder> encoder = makeEncoder();
        ArchiveCompaction compaction(*session.catalogue(), target, *encoder);
        CompactionChoice choice;
        choice.now = std::time(nullptr);
        result.compaction = compaction.run(choice, stop, progressOnWindow(*mailbox, *window), stopRequest);
    });
}

void MainArchiveController::setKeepArchiveDays(std::optional<int> days) {
    if (m_preferences.keepArchiveDays == days) return;
    m_preferences.keepArchiveDays = days;
    saveArchivePreferences(m_preferencesPath, m_preferences);
}

std::string MainArchiveController::retentionFolder() {
    if (m_window.uploadRunning()) return {};
    if (archiveFolder().empty() && !m_window.pickUploadFolder()) return {};
    const std::string folder = archiveFolder();
    return m_window.folderOnPhone(folder, true) ? std::string() : folder;
}

void MainArchiveController::previewExpiry() {
    if (m_window.uploadRunning()) return;
    const std::string folder = retentionFolder();
    if (folder.empty()) return;
    if (!m_preferences.keepArchiveDays) {
        m_window.messages().showMessage(kNoRetentionRule, MessageIcon::Warning);
        return;
    }
    const int days = *m_preferences.keepArchiveDays;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::PreviewExpiry;
        result.days = days;
        result.now = now;
        CatalogueSession session(*catalogues, folder);
        if (!openReconciled(session, stop, result)) return;
        if (session.notes() == nullptr) {
            result.messages.push_back(kNoNotes);
            return;
        }
        result.preview = previewRetention(*session.catalogue(), *session.notes(), days, now);
        if (result.preview.status != CatalogueStatus::Ok) result.messages.push_back(kNoNotes);
    });
}

void MainArchiveController::showRetentionPreview(const ArchiveWorkResult& result) {
    const RetentionPreview& preview = result.preview;
    if (preview.candidates.empty()) {
        m_window.messages().showMessage(QStringLiteral("保留 %1 天：没有需要移出的录音（%2 个因有备注或标签而保留）。")
                                            .arg(result.days)
                                            .arg(preview.keptByNote)
                                            .toStdString(),
                                        MessageIcon::Information);
        return;
    }
    if (!m_services.confirmRetention(preview, result.days, m_window.dialogOwner())) return;
    expireConfirmed(preview, result.days, result.now);
}

void MainArchiveController::expireConfirmed(const RetentionPreview& confirmed, int days, std::int64_t now) {
    const std::string folder = archiveFolder();
    if (folder.empty() || m_window.folderOnPhone(folder, true)) return;
    std::set<std::string> seen;
    for (const ExpiryCandidate& candidate : confirmed.candidates) seen.insert(candidate.fileName);
    const int purgeDays = m_preferences.expiredPurgeDays;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Expire;
        result.days = purgeDays;
        CatalogueSession session(*catalogues, folder);
        const std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
        if (!lock->held()) {
            result.messages.push_back("无法锁定上传路径 " + folder + "，没有移动任何录音。");
            return;
        }
        if (!openReconciled(session, stop, result)) return;
        if (session.notes() == nullptr) {
            result.messages.push_back(kNoNotes);
            return;
        }
        // Planned again under the lock: what gained a note meanwhile stays, and nothing the user did not see moves.
        const RetentionPreview again = previewRetention(*session.catalogue(), *session.notes(), days, now);
        if (again.status != CatalogueStatus::Ok) {
            result.messages.push_back(kNoNotes);
            return;
        }
        std::vector<ExpiryCandidate> chosen;
        for (const ExpiryCandidate& candidate : again.candidates) {
            if (seen.contains(candidate.fileName)) chosen.push_back(candidate);
        }
        mailbox->post([window] { window->progressBar()->setRange(0, 0); });
        ExpiredRecordings expired(*session.catalogue(), folder);
        result.expiry = expired.expire(chosen, now);
        if (result.expiry.failure.empty()) result.purged = expired.purge(purgeDays, now);
    });
}

void MainArchiveController::listExpired() {
    const std::string folder = retentionFolder();
    if (folder.empty()) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::ListExpired;
        CatalogueSession session(*catalogues, folder);
        if (!openReconciled(session, stop, result)) return;
        if (ExpiredRecordings(*session.catalogue(), folder).list(result.expiredRows) != CatalogueStatus::Ok)
            result.messages.push_back("无法读取存档索引。");
    });
}

void MainArchiveController::showExpiredView(const std::vector<CatalogueRecord>& rows) {
    // The view has closed before anything it chose is done.
    const CExpiredDlg::Choice choice =
        m_services.showExpired(rows, m_preferences.expiredPurgeDays, m_window.dialogOwner());
    if (choice.action == CExpiredDlg::Choice::Action::Restore && !choice.names.empty()) {
        changeExpired(true, choice.names);
    } else if (choice.action == CExpiredDlg::Choice::Action::Purge && !rows.empty()) {
        std::uint64_t bytes = 0;
        for (const CatalogueRecord& row : rows) bytes += row.size;
        if (m_services.confirm(purgeQuestion(rows.size(), bytes), m_window.dialogOwner())) changeExpired(false, {});
    }
}

void MainArchiveController::changeExpired(bool restore, const std::vector<std::string>& names) {
    const std::string folder = archiveFolder();
    if (folder.empty() || m_window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = restore ? ArchiveWork::RestoreExpired : ArchiveWork::PurgeExpired;
        CatalogueSession session(*catalogues, folder);
        const std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
        if (!lock->held()) {
            result.messages.push_back("无法锁定上传路径 " + folder + "，已过期的录音保持原样。");
            return;
        }
        if (!openReconciled(session, stop, result)) return;
        ExpiredRecordings expired(*session.catalogue(), folder);
        result.expiry = restore ? expired.restore(names) : expired.purge(0, std::time(nullptr));
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
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::FindArchived;
        CatalogueSession session(*catalogues, folder);
        if (!openReconciled(session, stop, result)) return;
        // Every verified recording: the retention rule is chosen in the confirmation, which shows its count.
        const std::vector<std::string> names = verifiedArchivedNames(*session.catalogue(), folder, root, entries, {},
                                                                     stop, progressOnWindow(*mailbox, *window));
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
        m_preferences.clearOlderThanDays, m_window.dialogOwner());
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
    IArchiveWindow* window = &m_window;
    WorkerMailbox* mailbox = m_mailbox;
    const auto openTeam = m_services.openTeamArchive;
    const TeamSettings team = m_services.team;
    // The count confirmed was an estimate: each recording is checked again now, right before it goes.
    startWork(true, [=](std::stop_token stop, ArchiveWorkResult& result) {
        result.kind = ArchiveWork::Clear;
        result.rule = rule;
        // On a team desk the server must hold a recording too, as it says now, before the telephone's copy goes.
        ClearingRule applied = rule;
        std::set<std::string> serverHolds;
        if (openTeam && team.inTeam() && team.clearingNeedsServer) {
            const std::unique_ptr<ITeamArchive> server = openTeam();
            const TeamStatus asked = server ? server->confirmed(team.desk, serverHolds) : TeamStatus::ConnectionLost;
            if (asked != TeamStatus::Ok) {
                result.messages.push_back(teamStatusText(asked) + kTeamServerUnconfirmed);
                return;
            }
            applied.serverHolds = &serverHolds;
        }
        CatalogueSession session(*catalogues, folder);
        if (!openReconciled(session, stop, result)) return;
        PhoneIndexHeader written = header;
        KeptMessages messages(result.messages);
        result.clearing = clearArchived(*session.catalogue(), folder, root, archived, applied, written, messages, stop,
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
    const bool failed = !result->opened && result->kind != ArchiveWork::Reconcile && result->messages.empty();
    // A lost connection is told whenever it happens, the worker's own reconciliation included.
    if (failed || result->status == CatalogueStatus::ConnectionLost) {
        messages.showMessage(catalogueFailureText(result->status, false), MessageIcon::Warning);
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
                const std::string& unpublished = result->unpublished;
                // What stays unpublished is a line after the summary, and is told after an automatic upload too.
                if (!result->automatic && result->messages.empty()) {
                    messages.showMessage(unpublished.empty() ? std::string(kTransferDone)
                                                             : std::string(kTransferDone) + "\n" + unpublished,
                                         unpublished.empty() ? MessageIcon::Information : MessageIcon::Warning);
                } else if (!unpublished.empty()) {
                    messages.showMessage(unpublished, MessageIcon::Warning);
                }
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
        case ArchiveWork::Compact:
            for (const std::string& text : result->messages) messages.showMessage(text, MessageIcon::Warning);
            if (result->opened) showCompactionSummary(result->compaction, messages);
            break;
        case ArchiveWork::PreviewExpiry:
        case ArchiveWork::Expire:
        case ArchiveWork::ListExpired:
        case ArchiveWork::RestoreExpired:
        case ArchiveWork::PurgeExpired:
            for (const std::string& text : result->messages) messages.showMessage(text, MessageIcon::Warning);
            if (result->opened && result->messages.empty()) showRetentionResult(*result);
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
    if (wasCommand && m_contactsChanged) {
        m_contactsChanged = false;
        reconcile();
        return;
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

void MainArchiveController::showRetentionResult(const ArchiveWorkResult& result) {
    const bool fine = result.expiry.failure.empty() && result.purged.failure.empty();
    const MessageIcon icon = fine ? MessageIcon::Information : MessageIcon::Warning;
    switch (result.kind) {
        case ArchiveWork::PreviewExpiry:
            showRetentionPreview(result);
            break;
        case ArchiveWork::ListExpired:
            showExpiredView(result.expiredRows);
            break;
        case ArchiveWork::Expire:
            m_window.messages().showMessage(expirySummary(result.expiry, result.purged, result.days).toStdString(),
                                            icon);
            break;
        case ArchiveWork::RestoreExpired:
            m_window.messages().showMessage(restoreSummary(result.expiry).toStdString(), icon);
            break;
        default:
            m_window.messages().showMessage(purgeSummary(result.expiry).toStdString(), icon);
            break;
    }
}

void MainArchiveController::phoneArrived() {
    if (m_preferences.uploadNewOnArrival && !archiveFolder().empty()) uploadNew(true);
}

}  // namespace tapelink
