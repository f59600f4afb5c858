#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/FolderChooser.h"
#include "app/ui/IArchiveWindow.h"
#include "app/ui/MainWindowServices.h"
#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "phone/IDeviceLocator.h"
#include "phone/PhoneIndexHeader.h"
#include "settings/ColumnWidthsFile.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsStore.h"

class QAction;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tapelink {

class DeviceChangeRouter;
class MainArchiveController;
class MainDialogCommands;
class MainUploadController;
class PhoneListModel;
class PhoneListingJob;
class TeamPhonebookSyncer;
struct PhoneListing;

// The main window (dialog 102): the device status in the caption, the phone list 1003, the menus 130
// and 145, and the progress area (bar 1052, Stop button 1010) of an upload. It follows the telephone
// through the device locator whenever a device arrives or goes, and holds the process's one
// in-memory copy of the telephone's index header. The telephone is listed on a worker (PhoneListingJob)
// and the listing shown when it is done; until then the caption says the catalogue is being read and
// every command but "退出" does nothing, as during an upload. The commands are carried out by MainUploadController
// (uploads) and MainDialogCommands (delete, recycle bin, search, export).
class CTapelinkDlg : public QDialog, private IArchiveWindow {
    Q_OBJECT
public:
    CTapelinkDlg(SettingsStore& settingsStore, const IDeviceLocator& locator, IMessageSink& messages,
                 FolderChooser chooseFolder = systemFolderChooser(), MainWindowServices services = {},
                 QWidget* parent = nullptr);
    ~CTapelinkDlg() override;

    // The telephone.
    const std::string& driveRoot() const override { return m_driveRoot; }
    const IDeviceLocator& locator() const override { return m_locator; }
    PhoneIndexHeader& phoneIndex() override { return m_phoneIndex; }
    const std::string& statusText() const { return m_statusText; }
    // Shows the status in the caption at once.
    void setStatusText(const std::string& statusText) override;

    // The phone list.
    PhoneListModel& phoneList() override { return *m_model; }
    const IListTexts& listTexts() const;
    QTableView* listView() const { return m_list; }
    // Selected rows in ascending order.
    std::vector<int> selectedRows() const;
    // True from the start of a listing of the telephone until it is shown (or dropped, when the telephone
    // went meanwhile).
    bool listingPending() const;

    // The progress area of an upload.
    bool progressAreaShown() const { return m_progressAreaShown; }
    void setProgressAreaShown(bool shown) override;
    QProgressBar* progressBar() const override { return m_progressBar; }
    QPushButton* stopButton() const { return m_stopButton; }
    // The window's client area below the menu bar, in window coordinates.
    QRect clientRect() const;

    // While an upload runs, every command but "退出" does nothing. The upload sets this from the start of
    // its worker until the worker has ended (after its last message is dismissed).
    bool uploadRunning() const override { return m_uploadRunning; }
    void setUploadRunning(bool running) override { m_uploadRunning = running; }
    MainUploadController& uploads() { return *m_uploads; }
    MainArchiveController& archive() { return *m_archive; }
    // The exchange of the phonebook with the team's; null on a desk in no team.
    TeamPhonebookSyncer* teamPhonebook() { return m_teamPhonebook; }

    // The settings: the copy taken at opening, saved whenever an upload folder is picked.
    const SettingsRecord& settingsCopy() const override { return m_settingsCopy; }
    bool uploadFolderConfirmed() const override { return m_uploadFolderConfirmed; }
    // The upload-folder picker: true when a folder was picked and stored. A folder on the telephone is
    // refused with a message and the stored one kept.
    bool pickUploadFolder() override;
    // Whether folder lies on the telephone attached now, telling the user so when tell is set.
    bool folderOnPhone(const std::string& folder, bool tell) override;

    IMessageSink& messages() override { return m_messages; }
    const MainWindowServices& services() const { return m_services; }
    // Where the device watcher's notifications go: to the dialog in front, which passes them on to this
    // window, or straight to onDeviceArrival and onDeviceRemoval when no dialog is open.
    DeviceChangeRouter& deviceChanges() { return *m_deviceChanges; }
    QAction* action(int id) const override;
    QMenuBar* mainMenu() const { return m_menuBar; }
    QMenu* listPopup() const { return m_listPopup; }
    // The column widths the user dragged, kept in the profile folder for every list.
    const std::shared_ptr<ColumnWidthsFile>& columnWidths() const { return m_columnWidths; }

public slots:
    // Closing during an upload stops the worker at its next block; the window closes once it has ended.
    void done(int result) override;
    // The rules for a device arrival or removal.
    void onDeviceArrival();
    void onDeviceRemoval();
    // Reads the catalogue again (after the recycle bin restored recordings), without asking the locator.
    void onPhoneRescan() override;

signals:
    // A command handled elsewhere was chosen while no upload runs: 32790-32793, 32795-32798,
    // 32771, 32773 and 32777.
    void commandTriggered(int id);
    // The Stop button was pressed. Without a running upload the window also hides the progress area.
    void stopRequested();
    void statusTextChanged(const QString& statusText);
    // A listing of the telephone is shown: its rows, the index header, the caption, then its messages.
    void listingShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void runCommand(int id);
    // Starts a listing; arrival: the telephone has just arrived (its new recordings may be uploaded).
    void scanPhone(bool arrival);
    void onListed(const PhoneListing& listing);
    void relayout();
    void onStopClicked();
    void dispatchCommand(int id);
    void onUploadWorkerEnded();

    QWidget* dialogOwner() override { return this; }

    SettingsStore& m_settingsStore;
    const IDeviceLocator& m_locator;
    IMessageSink& m_messages;
    FolderChooser m_chooseFolder;
    MainWindowServices m_services;

    std::string m_driveRoot;
    std::string m_statusText;
    PhoneIndexHeader m_phoneIndex;
    SettingsRecord m_settingsCopy;
    bool m_uploadFolderConfirmed = false;
    bool m_progressAreaShown = false;
    bool m_uploadRunning = false;
    bool m_arrivalListing = false;  // the pending listing follows an arrival
    // Shared with the lists' keepers, which write the last drag when their list goes after this window.
    std::shared_ptr<ColumnWidthsFile> m_columnWidths = std::make_shared<ColumnWidthsFile>();

    PhoneListModel* m_model = nullptr;
    QTableView* m_list = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_stopButton = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_listPopup = nullptr;
    std::map<int, QAction*> m_actions;
    DeviceChangeRouter* m_deviceChanges = nullptr;
    MainUploadController* m_uploads = nullptr;
    MainDialogCommands* m_commands = nullptr;
    MainArchiveController* m_archive = nullptr;
    PhoneListingJob* m_listing = nullptr;
    TeamPhonebookSyncer* m_teamPhonebook = nullptr;
    std::optional<int> m_pendingClose;  // the result to close with once the upload worker has ended
};

}  // namespace tapelink
