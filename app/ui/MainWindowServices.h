#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/WorkbookSaveDialog.h"
#include "catalogue/IArchiveCatalogue.h"
#include "catalogue/ui/CClearArchivedDlg.h"
#include "common/IMessageSink.h"
#include "contacts/ui/ContactFileFormats.h"
#include "contacts/ui/IContactFileChooser.h"
#include "export/ISpreadsheet.h"
#include "phone/CategoryCriteria.h"
#include "phone/OverwriteDecision.h"
#include "phone/ui/PhoneListingJob.h"
#include "playback/ui/CPlayDlg.h"
#include "retention/ui/CExpiredDlg.h"
#include "retention/ui/CRetentionPreviewDlg.h"
#include "search/ITeamSearch.h"
#include "search/ui/IArchiveFileChooser.h"
#include "sharing/IShareTools.h"
#include "sharing/ui/CShareDlg.h"
#include "statistics/CallStatistics.h"
#include "statistics/ITeamCallFigures.h"
#include "team/ITeamArchive.h"
#include "team/ITeamPhonebook.h"
#include "team/TeamSettings.h"

class QWidget;

namespace tapelink {

// A new workbook, written as an untitled file and opened in the desktop's spreadsheet application.
std::unique_ptr<ISpreadsheet> desktopSpreadsheet();
// A new workbook written to path, replacing a file there only once it is complete.
std::unique_ptr<ISpreadsheet> workbookFile(const std::string& path);
// The statistics' workbook with its chart, written to path.
bool statisticsWorkbook(const std::string& path, const CallStatistics& statistics, std::string& error);
// CSV and vCard files read, and CSV written, by the core's contact file formats.
ContactFileFormats desktopContactFiles();
// MP3 conversion, zip files and index workbooks for "分享…".
std::shared_ptr<IShareTools> desktopShareTools();
// The Ogg Opus encoder of "压缩存档…".
std::unique_ptr<IAudioEncoder> desktopCompactEncoder();

// What the main window's commands show and drive besides their own windows. Every member defaults to
// the desktop's version; tests replace them, so that no prompt blocks, no spreadsheet application is
// started and no sound server is needed.
struct MainWindowServices {
    // The overwrite prompt of an upload (COverwriteDlg, run modally over owner).
    std::function<OverwriteDecision(const QString& promptText, QWidget* owner)> askOverwrite = defaultOverwritePrompt();
    // The category dialog (CCategoryUploadDlg); empty when it was closed without "上传".
    std::function<std::optional<CategoryChoice>(CategoryCriteria& criteria, QWidget* owner)> askCategory =
        defaultCategoryDialog();
    // One spreadsheet per export.
    std::function<std::unique_ptr<ISpreadsheet>()> makeSpreadsheet = desktopSpreadsheet;
    // Without a spreadsheet application: where to keep the workbook instead (empty: nowhere), and the
    // workbook written there.
    std::function<QString(const QString& suggestedPath, QWidget* owner)> chooseWorkbookFile = askWorkbookFile;
    std::function<std::unique_ptr<ISpreadsheet>(const std::string& path)> makeWorkbookFile = workbookFile;
    // The statistics window's export: its tables and a chart written into the workbook at path.
    std::function<bool(const std::string& path, const CallStatistics& statistics, std::string& error)> writeStatistics =
        statisticsWorkbook;
    // The player's devices; null for the desktop's decoder, sound output and mixer.
    const PlayerDevices* playerDevices = nullptr;
    // Where the desktop's player keeps the listener's speed and silence choices; null: not kept.
    IListeningPreferencesStore* listening = nullptr;
    // The search dialog's messages and choosers; null for its own message boxes and the platform's choosers.
    IMessageSink* searchMessages = nullptr;
    IArchiveFileChooser* archiveChooser = nullptr;
    // The team archive's search and a connection to the archive for its notes, made in main for a desk in
    // a team; null and empty when the desk is in none.
    std::shared_ptr<ITeamSearch> teamSearch;
    std::shared_ptr<ITeamCallFigures> teamFigures;  // the 统计 window's 团队存档
    std::function<std::unique_ptr<ITeamArchive>()> openTeamArchive;
    // The desk's name on that archive and its clearing rule: uploads publish as this desk, and clearing the
    // telephone may wait for the server. Empty (in no team) without openTeamArchive.
    TeamSettings team;
    // A connection to the team's phonebook, which the window exchanges the upload folder's phonebook with at
    // opening and after each change; empty on a desk in no team.
    std::function<std::unique_ptr<ITeamPhonebook>()> openTeamPhonebook;
    // The phonebook window's messages and file choices (null: its own boxes and file dialogs), and the
    // contact files it reads and writes.
    IMessageSink* phonebookMessages = nullptr;
    IContactFileChooser* contactChooser = nullptr;
    ContactFileFormats contactFiles = desktopContactFiles();
    // A yes/no question titled "提示"; true for yes.
    std::function<bool(const QString& question, QWidget* owner)> confirm = defaultConfirm();
    // The confirmation of clearing the telephone with its retention rule (CClearArchivedDlg): the rule
    // chosen, nothing when cancelled.
    std::function<std::optional<CClearArchivedDlg::Choice>(const CClearArchivedDlg::CountFor& countFor,
                                                           CClearArchivedDlg::Choice initial, QWidget* owner)>
        chooseClearing = &CClearArchivedDlg::ask;
    // Opens the archive folders' catalogues and hands out their write locks: the program's one opener,
    // made in main. Required.
    IArchiveCatalogueOpener* catalogueOpener = nullptr;
    // "分享…": what converts and writes a share, and what is offered once it is written (the folder, the mail
    // program).
    std::shared_ptr<IShareTools> shareTools = desktopShareTools();
    // One encoder per compaction, made on the worker that uses it.
    std::function<std::unique_ptr<IAudioEncoder>()> makeCompactEncoder = desktopCompactEncoder;
    CShareDlg::Offer shareOffer = &CShareDlg::offerDesktop;
    // The preview of "移出过期录音…" (CRetentionPreviewDlg): true when the user chose to move them.
    std::function<bool(const RetentionPreview& preview, int days, QWidget* owner)> confirmRetention =
        &CRetentionPreviewDlg::ask;
    // "已过期的录音…" (CExpiredDlg): what the user chose to do with the expired recordings.
    std::function<CExpiredDlg::Choice(const std::vector<CatalogueRecord>& rows, int purgeDays, QWidget* owner)>
        showExpired = &CExpiredDlg::ask;
    // Reads the telephone's catalogue, on the listing's worker thread.
    PhoneListingJob::Scan scanPhone = &ScanCatalogue;

private:
    static std::function<bool(const QString&, QWidget*)> defaultConfirm();
    static std::function<OverwriteDecision(const QString&, QWidget*)> defaultOverwritePrompt();
    static std::function<std::optional<CategoryChoice>(CategoryCriteria&, QWidget*)> defaultCategoryDialog();
};

}  // namespace tapelink
