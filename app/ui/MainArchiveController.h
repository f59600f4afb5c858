#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "contacts/ContactDirectory.h"
#include "settings/ArchivePreferenceFile.h"

namespace tapelink {

class ArchiveCompactCommand;
class ArchiveVerifyCommand;
class ArchiveWorker;
class IArchiveWindow;
class NewRecordingsUpload;
class PhoneClearingCommand;
class PhoneListMarks;
class RetentionCommands;
struct MainWindowServices;

// The main window's archive: the phone list's "存档" marks and "姓名" column kept in line with the upload
// folder, whose catalogue and phonebook a reconciliation on the worker reads whenever the list, the folder
// or the phonebook changes, with the marks shown again after it and after each command; and the menu's
// archive commands, each run by its own class on the one worker.
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
    bool isRunning() const;
    bool isBusy() const;
    void requestStop();
    // The window is closing: the worker stops at its next block and workerEnded follows.
    void terminate();
    const ArchivePreferences& preferences() const { return m_preferences.values(); }
    // "保留 N 天" as chosen with the upload folder (none: off), kept in archive.ini.
    void setKeepArchiveDays(std::optional<int> days);

    // Opens the catalogues of archive folders (the upload folder's, or a searched folder's).
    IArchiveCatalogueOpener& catalogueOpener() const;
    // The upload folder's phonebook as last read; never null.
    std::shared_ptr<const ContactDirectory> contactDirectory() const;
    // The phonebook was changed: it is read again on the worker, and the names follow (after the command
    // that runs, which reads no phonebook).
    void contactsChanged();

signals:
    void workerEnded();
    // Emitted after every refresh of the marks, for tests and the caption.
    void marksRefreshed();

private:
    void refreshMarks();
    void reconcile();
    // After each run's result was shown: the reconciliation or the marks that follow it.
    void onSettled(bool command);
    std::string archiveFolder() const;

    IArchiveWindow& m_window;
    const MainWindowServices& m_services;
    ArchivePreferenceFile m_preferences;
    ArchiveWorker* m_worker;
    std::unique_ptr<PhoneListMarks> m_marks;
    std::unique_ptr<NewRecordingsUpload> m_upload;
    std::unique_ptr<ArchiveVerifyCommand> m_verify;
    std::unique_ptr<ArchiveCompactCommand> m_compact;
    std::unique_ptr<RetentionCommands> m_retention;
    std::unique_ptr<PhoneClearingCommand> m_clearing;
    bool m_reconcileAgain = false;
    // The phonebook changed while a command ran.
    bool m_contactsChanged = false;
};

}  // namespace tapelink
