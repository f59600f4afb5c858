#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/ArchivedRecordings.h"
#include "catalogue/IArchiveCatalogue.h"
#include "contacts/ContactDirectory.h"
#include "recording/RecordingEntry.h"
#include "retention/RetentionPlan.h"
#include "settings/ArchivePreferences.h"

namespace tapelink {

class IArchiveWindow;
class WorkerMailbox;
struct MainWindowServices;
struct ArchiveWorkResult;

// The main window's archive: the phone list's "存档" marks, the catalogue brought in line with the upload
// folder on a worker whenever the list or the folder changes, and the commands "上传新录音",
// "插入电话机时自动上传新录音", "校验存档", "删除已存档录音", "压缩存档…", the retention rule's "移出过期录音…" (a
// preview first) and "已过期的录音…" (restore or empty), and the "姓名" column from the folder's
// phonebook, read on the worker with each reconciliation. Long work runs on one worker thread that
// touches no widget: its progress reaches the window through a mailbox, its result at its end.
class MainArchiveController : public QObject {
    Q_OBJECT
public:
    MainArchiveController(IArchiveWindow& window, const MainWindowServices& services, std::string preferencesPath,
                          QObject* parent);
    ~MainArchiveController() override;

    // Runs one of the archive's commands; false for any other id.
    bool runCommand(int id);
    // The phone list was filled again, or the upload folder changed: marks from the catalogue as it
    // stands, then a reconciliation on the worker, then the marks again.
    void listChanged();
    // A telephone arrived and was scanned: uploads its new recordings when the user asked for that.
    void phoneArrived();

    // True while a command's worker runs (the window refuses its commands then); a reconciliation
    // alone does not count.
    bool isRunning() const { return m_commandRunning; }
    bool isBusy() const { return m_thread.joinable(); }
    void requestStop() {
        m_stopRequest = true;
        m_stopPressed.request_stop();
    }
    // The window is closing: the worker stops at its next block and workerEnded follows.
    void terminate();
    const ArchivePreferences& preferences() const { return m_preferences; }
    // "保留 N 天" as chosen with the upload folder (none: off), kept in archive.ini.
    void setKeepArchiveDays(std::optional<int> days);

    // Opens the catalogues of archive folders (the upload folder's, or a searched folder's).
    IArchiveCatalogueOpener& catalogueOpener() const;
    // The upload folder's phonebook as last read; never null.
    std::shared_ptr<const ContactDirectory> contactDirectory() const { return m_directory; }
    // The phonebook was changed: it is read again on the worker, and the names follow (after the command
    // that runs, which reads no phonebook).
    void contactsChanged();

signals:
    void workerEnded();
    // Emitted after every refresh of the marks, for tests and the caption.
    void marksRefreshed();

private:
    using Work = std::function<void(std::stop_token, ArchiveWorkResult&)>;
    bool startWork(bool command, Work work);
    void onWorkFinished(const std::shared_ptr<ArchiveWorkResult>& result);
    void refreshMarks();
    void reconcile();
    void uploadNew(bool automatic);
    void verify();
    void compact();
    std::string retentionFolder();
    void previewExpiry();
    void showRetentionPreview(const ArchiveWorkResult& result);
    void expireConfirmed(const RetentionPreview& confirmed, int days, std::int64_t now);
    void listExpired();
    void showExpiredView(const std::vector<CatalogueRecord>& rows);
    void changeExpired(bool restore, const std::vector<std::string>& names);
    void showRetentionResult(const ArchiveWorkResult& result);
    void findArchived();
    void deleteArchived(const std::vector<RecordingEntry>& archived);
    void clearConfirmed(const std::vector<RecordingEntry>& archived, const ClearingRule& rule);
    std::string archiveFolder() const;

    IArchiveWindow& m_window;
    const MainWindowServices& m_services;
    std::string m_preferencesPath;
    ArchivePreferences m_preferences;
    std::shared_ptr<const ContactDirectory> m_directory = std::make_shared<ContactDirectory>();
    WorkerMailbox* m_mailbox;
    std::atomic<bool> m_stopRequest{false};
    std::stop_source m_stopPressed;  // the same, for work that takes a stop token
    bool m_commandRunning = false;
    bool m_terminating = false;
    int m_generation = 0;
    bool m_reconcileAgain = false;
    // The phonebook changed while a command ran.
    bool m_contactsChanged = false;
    std::jthread m_thread;  // last: joined first when the controller goes
};

}  // namespace tapelink
