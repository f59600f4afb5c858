#include "app/ui/MainDialogCommands.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/DesktopPlayerDevices.h"
#include "app/ui/DeviceChangeRouter.h"
#include "app/ui/MainArchiveController.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/PhoneListModel.h"
#include "app/ui/TeamAudioDecoder.h"
#include "app/ui/TeamPhonebookSyncer.h"
#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueReconciler.h"
#include "catalogue/CatalogueSession.h"
#include "common/ui/MessageBoxSink.h"
#include "contacts/ui/CNoteDlg.h"
#include "contacts/ui/CPhonebookDlg.h"
#include "export/ExcelExporter.h"
#include "phone/PhoneListDelete.h"
#include "phone/ui/CRecycleDlg.h"
#include "playback/ui/CPlayDlg.h"
#include "search/RecordingAnnotations.h"
#include "search/TeamRecordingPath.h"
#include "search/ui/CQueryDlg.h"
#include "sharing/ui/CShareDlg.h"
#include "statistics/ui/CStatisticsDlg.h"
#include "team/TeamRecordingNotes.h"

namespace tapelink {

namespace {

constexpr int kFileNameColumn = 1;
constexpr const char* kPhoneListName = "录音列表";
constexpr const char* kSearchListName = "查询结果";
constexpr const char* kNotArchived = "这个文件不在存档中，无法添加备注！";
constexpr const char* kTeamUnreachable = "无法连接团队服务器，请检查网络后重试！";
constexpr const char* kTeamNoteUnreadable = "无法读取这条录音在团队存档中的备注！";

// A list's texts with the name and remark of each row, for an export.
class AnnotatedList : public IListTexts {
public:
    AnnotatedList(const IListTexts& list, std::vector<RowAnnotation> annotations)
        : m_list(list), m_annotations(std::move(annotations)) {}
    int rowCount() const override { return m_list.rowCount(); }
    int columnCount() const override { return m_list.columnCount(); }
    std::string columnTitle(int column) const override { return m_list.columnTitle(column); }
    std::string cellText(int row, int column) const override { return m_list.cellText(row, column); }
    std::string nameText(int row) const override { return at(row).name; }
    std::string remarkText(int row) const override { return at(row).remark; }

private:
    const RowAnnotation& at(int row) const {
        static const RowAnnotation kNone;
        return row >= 0 && static_cast<std::size_t>(row) < m_annotations.size()
                   ? m_annotations[static_cast<std::size_t>(row)]
                   : kNone;
    }

    const IListTexts& m_list;
    std::vector<RowAnnotation> m_annotations;
};

}  // namespace

MainDialogCommands::MainDialogCommands(CTapelinkDlg& window, DeviceChangeRouter& devices,
                                       const MainWindowServices& services)
    : QObject(&window), m_window(window), m_devices(devices), m_services(services) {}

bool MainDialogCommands::runCommand(int id) {
    switch (id) {
        case cmd::kDeletePermanently:
        case cmd::kPopupDeletePermanently:
            deletePermanently();
            return true;
        case cmd::kRecycleBin:
            openRecycleBin();
            return true;
        case cmd::kSearch:
            openSearch();
            return true;
        case cmd::kExportExcel:
            exportPhoneList();
            return true;
        case cmd::kContacts:
            openPhonebook();
            return true;
        case cmd::kStatistics:
            openStatistics();
            return true;
        case cmd::kPopupShare:
            sharePhoneSelection();
            return true;
        default:
            return false;
    }
}

void MainDialogCommands::deletePermanently() {
    const std::vector<int> rows = m_window.selectedRows();
    std::vector<std::string> names;
    names.reserve(rows.size());
    for (const int row : rows) names.push_back(m_window.listTexts().cellText(row, kFileNameColumn));
    // Rows go one by one as their files go; the rows before a removed one are never shifted, the
    // ones after it move up by one, so row rows[i] is now at rows[i] - i.
    const PhoneDeleteResult result =
        PermanentDelete(m_window.driveRoot(), names, m_window.phoneIndex(), m_window.messages(),
                        [&](std::size_t i) { m_window.phoneList().removeEntry(rows[i] - static_cast<int>(i)); });
    // The rows were read from another volume than the one mounted now: they are read again.
    if (result.refusal == IndexWriteCheck::NotReady) m_window.onPhoneRescan();
}

void MainDialogCommands::openRecycleBin() {
    int forwarded = 0;
    CRecycleDlg bin(m_window.driveRoot(), m_window.phoneIndex(), m_window.messages(), m_window.locator(), &m_window);
    // The bin writes the header before it asks for the rescan, both on this thread, so the scan reads the
    // counters of the restore.
    connect(&bin, &CRecycleDlg::phoneRescanRequested, &m_window, &CTapelinkDlg::onPhoneRescan);
    connect(&bin, &CRecycleDlg::deviceChangeForwarded, &m_window, [this, &forwarded](CRecycleDlg::DeviceEvent event) {
        ++forwarded;
        if (event == CRecycleDlg::DeviceEvent::Arrival) {
            m_window.onDeviceArrival();
        } else {
            m_window.onDeviceRemoval();
        }
    });
    // The bin passes a notification on only when it changed its own telephone; the main window's rules
    // see the others too, once each.
    const auto deliver = [this, &bin, &forwarded](CRecycleDlg::DeviceEvent event, void (CTapelinkDlg::*handler)()) {
        const int before = forwarded;
        bin.OnDeviceChange(event);
        // Through std::invoke: GCC's null check misreads "(m_window.*handler)()" inside a lambda as an
        // access through a null MainDialogCommands, which stops the sanitizer run.
        if (forwarded == before) std::invoke(handler, m_window);
    };
    const auto front = m_devices.push({
        [&deliver] { deliver(CRecycleDlg::DeviceEvent::Arrival, &CTapelinkDlg::onDeviceArrival); },
        [&deliver] { deliver(CRecycleDlg::DeviceEvent::RemoveComplete, &CTapelinkDlg::onDeviceRemoval); },
    });
    bin.exec();
}

void MainDialogCommands::openSearch() {
    openSearchOver(&m_window, {});
}

void MainDialogCommands::openSearchOver(QWidget* owner, const std::function<void(CQueryDlg&)>& prepare) {
    CQueryDlg search(owner, m_services.searchMessages, m_services.archiveChooser, m_window.columnWidths());
    connect(&search, &CQueryDlg::deviceArrived, &m_window, &CTapelinkDlg::onDeviceArrival);
    connect(&search, &CQueryDlg::deviceRemoved, &m_window, &CTapelinkDlg::onDeviceRemoval);
    connect(&search, &CQueryDlg::playRequested, this, [this, &search] { openPlayer(search); });
    connect(&search, &CQueryDlg::noteRequested, this,
            [this, &search](const QString& path) { editNote(path, &search); });
    connect(&search, &CQueryDlg::teamNoteRequested, this,
            [this, &search](const QString& desk, const QString& sha256, const QString& fileName) {
                editTeamNote(desk.toStdString(), sha256.toStdString(), fileName.toStdString(), &search);
            });
    search.setContactDirectory(m_window.archive().contactDirectory());
    search.setCatalogueOpener(&m_window.archive().catalogueOpener());
    search.setTeamSearch(m_services.teamSearch);
    // Failures of the search's export are shown over the search dialog.
    MessageBoxSink searchBoxes(&search);
    IMessageSink& exportMessages = m_services.searchMessages != nullptr ? *m_services.searchMessages : searchBoxes;
    connect(&search, &CQueryDlg::exportRequested, this, [this, &search, &exportMessages] {
        exportList(search.resultTexts(), exportMessages, QString::fromUtf8(kSearchListName), &search);
    });
    connect(&search, &CQueryDlg::shareRequested, this, [this, &search] {
        std::vector<ShareItem> items;
        for (SearchResultRow& row : search.selectedResults()) items.push_back({row[kPathColumn], std::move(row)});
        shareRecordings(std::move(items), {search.searchFolder()}, &search);
    });
    const auto front =
        m_devices.push({[&search] { search.notifyDeviceArrived(); }, [&search] { search.notifyDeviceRemoved(); }});
    if (prepare) prepare(search);
    search.exec();
}

void MainDialogCommands::sharePhoneSelection() {
    const std::vector<int> rows = m_window.selectedRows();
    if (rows.empty()) {
        m_window.messages().showMessage("请先选择要分享的录音。");
        return;
    }
    // Names by the archive's phonebook, as the list shows them.
    const auto directory = m_window.archive().contactDirectory();
    RecordingAnnotations annotations(*directory, nullptr, nullptr);
    std::vector<ShareItem> items;
    for (const int row : rows) {
        const RecordingEntry& entry = m_window.phoneList().entry(row);
        SearchResultRow result = searchResultRow(entry, static_cast<int>(items.size()));
        result.name = annotations.nameFor(entry.phoneNumber);
        items.push_back({result[kPathColumn], std::move(result)});
    }
    shareRecordings(std::move(items), {}, &m_window);
}

void MainDialogCommands::shareRecordings(std::vector<ShareItem> items, std::vector<std::string> protectedFolders,
                                         QWidget* owner) {
    if (items.empty()) return;
    if (!m_window.driveRoot().empty()) protectedFolders.push_back(m_window.driveRoot());
    const std::string uploadFolder = m_window.settingsCopy().uploadFolder();
    if (!uploadFolder.empty()) protectedFolders.push_back(uploadFolder);
    CShareDlg share(std::move(items), std::move(protectedFolders), *m_services.shareTools, owner,
                    owner == &m_window ? nullptr : m_services.searchMessages);
    share.setOffer(m_services.shareOffer);
    // Device changes go on to the window in front of this one, as they did before it opened.
    share.exec();
}

void MainDialogCommands::openPlayer(CQueryDlg& search) {
    std::optional<DesktopPlayerDevices> desktop;
    const PlayerDevices local = m_services.playerDevices != nullptr ? *m_services.playerDevices
                                                                    : desktop.emplace().devices(m_services.listening);
    // Team results are fetched into memory; the local decoder plays everything else.
    std::optional<TeamAudioDecoder> teamDecoder;
    if (m_services.openTeamArchive) teamDecoder.emplace(local.decoder, m_services.openTeamArchive);
    const PlayerDevices devices{teamDecoder ? *teamDecoder : local.decoder,
                                local.output,
                                local.mixer,
                                local.mediaMessages,
                                local.stretcher,
                                local.listening};
    const auto player = std::make_unique<CPlayDlg>(search, devices, &search);
    connect(player.get(), &CPlayDlg::deviceArrived, &search, &CQueryDlg::notifyDeviceArrived);
    connect(player.get(), &CPlayDlg::deviceRemoved, &search, &CQueryDlg::notifyDeviceRemoved);
    CPlayDlg* playing = player.get();
    connect(playing, &CPlayDlg::noteRequested, this, [this, playing](const QString& path) { editNote(path, playing); });
    const auto front =
        m_devices.push({[playing] { playing->onDeviceArrived(); }, [playing] { playing->onDeviceRemoved(); }});
    player->exec();
}

void MainDialogCommands::openPhonebook() {
    if (m_window.settingsCopy().uploadFolder().empty() && !m_window.pickUploadFolder()) return;
    const std::string folder = m_window.settingsCopy().uploadFolder();
    CatalogueSession session(m_window.archive().catalogueOpener(), folder);
    if (session.open(CatalogueAccess::ReadWrite); !session.isOpen()) {
        m_window.messages().showMessage(catalogueFailureText(session.status(), false));
        return;
    }
    CPhonebookDlg phonebook(*session.phonebook(), m_services.contactFiles, folder, m_services.phonebookMessages,
                            m_services.contactChooser, &m_window);
    bool changed = false;
    connect(&phonebook, &CPhonebookDlg::contactsChanged, this, [&changed] { changed = true; });
    const auto front = m_devices.push({[this] { m_window.onDeviceArrival(); }, [this] { m_window.onDeviceRemoval(); }});
    phonebook.exec();
    if (!changed) return;
    m_window.archive().contactsChanged();
    // What was typed in goes to the team's phonebook too.
    TeamPhonebookSyncer* team = m_window.teamPhonebook();
    if (team != nullptr && !m_window.folderOnPhone(folder, false)) team->sync(folder, true);
}

void MainDialogCommands::openStatistics() {
    if (m_window.settingsCopy().uploadFolder().empty() && !m_window.pickUploadFolder()) return;
    CStatisticsDlg statistics(m_window.archive().catalogueOpener(), m_window.settingsCopy().uploadFolder(), &m_window);
    statistics.setTeamFigures(m_services.teamFigures);
    connect(&statistics, &CStatisticsDlg::searchRequested, this, [this, &statistics](const QString& number) {
        openSearchOver(&statistics, [&statistics, &number](CQueryDlg& search) {
            search.searchFor(statistics.archiveFolder(), statistics.fromDate(), statistics.toDate(), number);
        });
    });
    connect(&statistics, &CStatisticsDlg::exportRequested, this, [this, &statistics] {
        const QString path =
            m_services.chooseWorkbookFile(QDir::home().filePath(QStringLiteral("统计.xlsx")), &statistics);
        if (path.isEmpty()) return;
        std::string error;
        if (!m_services.writeStatistics(QFile::encodeName(path).toStdString(), statistics.statistics(), error)) {
            MessageBoxSink(&statistics).showMessage(error, MessageIcon::Warning);
        }
    });
    const auto front = m_devices.push({[this] { m_window.onDeviceArrival(); }, [this] { m_window.onDeviceRemoval(); }});
    statistics.exec();
}

void MainDialogCommands::editNote(const QString& path, QWidget* owner) {
    // The player's team recording: its note is the team archive's.
    if (std::string desk, sha256; parseTeamRecordingPath(path.toStdString(), desk, sha256)) {
        editTeamNote(desk, sha256, QFileInfo(path).fileName().toStdString(), owner);
        return;
    }
    const QFileInfo file(path);
    const std::string folder = QFile::encodeName(file.absolutePath()).toStdString();
    const std::string name = QFile::encodeName(file.fileName()).toStdString();
    MessageBoxSink boxes(owner);
    IMessageSink& messages = m_services.searchMessages != nullptr ? *m_services.searchMessages : boxes;
    CatalogueSession session(m_window.archive().catalogueOpener(), folder);
    if (session.open(CatalogueAccess::ReadWrite); !session.isOpen()) {
        messages.showMessage(catalogueFailureText(session.status(), false));
        return;
    }
    IArchiveCatalogue& catalogue = *session.catalogue();
    std::optional<CatalogueRecord> row;
    if (catalogue.findByName(name, row) == CatalogueStatus::Ok && !row) {
        // A folder searched for the first time, or a file put there by hand: this one file is catalogued
        // now (hashing a whole folder here would hold the window); the rest wait for their own notes.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        catalogueOneFile(catalogue, folder, name);
        QApplication::restoreOverrideCursor();
        catalogue.findByName(name, row);
    }
    if (!row) {
        messages.showMessage(kNotArchived);
        return;
    }
    CNoteDlg note(*session.notes(), name, &messages, owner);
    note.exec();
}

void MainDialogCommands::editTeamNote(const std::string& desk, const std::string& sha256, const std::string& fileName,
                                      QWidget* owner) {
    MessageBoxSink boxes(owner);
    IMessageSink& messages = m_services.searchMessages != nullptr ? *m_services.searchMessages : boxes;
    // One short round trip each way: asked on this thread, with the wait cursor.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::unique_ptr<ITeamArchive> archive = m_services.openTeamArchive ? m_services.openTeamArchive() : nullptr;
    std::optional<TeamRecordingNotes> notes;
    RecordingNote stored;
    CatalogueStatus read = CatalogueStatus::ConnectionLost;
    if (archive) read = notes.emplace(*archive, desk, sha256).noteOf(fileName, stored);
    QApplication::restoreOverrideCursor();
    if (read != CatalogueStatus::Ok) {
        messages.showMessage(read == CatalogueStatus::ConnectionLost ? kTeamUnreachable : kTeamNoteUnreadable);
        return;
    }
    CNoteDlg note(*notes, fileName, &messages, owner);
    if (!notes->editedBy().empty()) {
        note.showLastEdit(QString::fromStdString(notes->editedBy()), QString::fromStdString(notes->editedAt()));
    }
    note.exec();
}

void MainDialogCommands::exportPhoneList() {
    // Names and remarks are read for the export only; the remark is that of the archive's copy.
    const std::string folder = m_window.settingsCopy().uploadFolder();
    CatalogueSession session(m_window.archive().catalogueOpener(), folder);
    if (!folder.empty()) session.open(CatalogueAccess::ReadOnly);
    const std::shared_ptr<const ContactDirectory> contacts = m_window.archive().contactDirectory();
    RecordingAnnotations annotations(*contacts, session.catalogue(), session.notes());
    const AnnotatedList list(m_window.listTexts(), annotations.annotate(m_window.phoneList().entries()));
    exportList(list, m_window.messages(), QString::fromUtf8(kPhoneListName), &m_window);
}

void MainDialogCommands::exportList(const IListTexts& list, IMessageSink& messages, const QString& listName,
                                    QWidget* owner) {
    const std::unique_ptr<ISpreadsheet> spreadsheet = m_services.makeSpreadsheet();
    if (ExcelExporter(messages).Export(list, *spreadsheet) != ExportOutcome::NoApplication) return;
    // No application to hand the workbook to: it is kept in a file of the user's choice instead.
    const QString uploadFolder = QFile::decodeName(QByteArray::fromStdString(m_window.settingsCopy().uploadFolder()));
    const QDir folder(uploadFolder.isEmpty() ? QDir::homePath() : uploadFolder);
    const QString name =
        listName + QLatin1Char('_') + QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".xlsx");
    const QString path = m_services.chooseWorkbookFile(folder.filePath(name), owner);
    if (path.isEmpty()) return;
    const std::unique_ptr<ISpreadsheet> file = m_services.makeWorkbookFile(QFile::encodeName(path).toStdString());
    ExcelExporter(messages).ExportList(list, *file);
}

}  // namespace tapelink
