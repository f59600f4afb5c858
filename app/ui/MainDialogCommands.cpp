#include "app/ui/MainDialogCommands.h"

#include <functional>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/DeviceChangeRouter.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/PhoneListModel.h"
#include "archive/ui/CPlayDlg.h"
#include "archive/ui/CQueryDlg.h"
#include "common/ui/MessageBoxSink.h"
#include "export/ExcelExporter.h"
#include "phone/PhoneListDelete.h"
#include "phone/ui/CRecycleDlg.h"

namespace tapelink {

namespace {

constexpr int kFileNameColumn = 1;

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
    PermanentDelete(m_window.driveRoot(), names, m_window.phoneIndex(), m_window.messages(),
                    [&](std::size_t i) { m_window.phoneList().removeEntry(rows[i] - static_cast<int>(i)); });
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
    CQueryDlg search(&m_window, m_services.searchMessages, m_services.archiveChooser);
    connect(&search, &CQueryDlg::deviceArrived, &m_window, &CTapelinkDlg::onDeviceArrival);
    connect(&search, &CQueryDlg::deviceRemoved, &m_window, &CTapelinkDlg::onDeviceRemoval);
    connect(&search, &CQueryDlg::playRequested, this, [this, &search] { openPlayer(search); });
    // Failures of the search's export are shown over the search dialog.
    MessageBoxSink searchBoxes(&search);
    IMessageSink& exportMessages = m_services.searchMessages != nullptr ? *m_services.searchMessages : searchBoxes;
    connect(&search, &CQueryDlg::exportRequested, this,
            [this, &search, &exportMessages] { exportList(search.resultTexts(), exportMessages); });
    const auto front =
        m_devices.push({[&search] { search.notifyDeviceArrived(); }, [&search] { search.notifyDeviceRemoved(); }});
    search.exec();
}

void MainDialogCommands::openPlayer(CQueryDlg& search) {
    const std::unique_ptr<CPlayDlg> player =
        m_services.playerDevices != nullptr ? std::make_unique<CPlayDlg>(search, *m_services.playerDevices, &search)
                                            : std::make_unique<CPlayDlg>(search, &search);
    connect(player.get(), &CPlayDlg::deviceArrived, &search, &CQueryDlg::notifyDeviceArrived);
    connect(player.get(), &CPlayDlg::deviceRemoved, &search, &CQueryDlg::notifyDeviceRemoved);
    CPlayDlg* playing = player.get();
    const auto front =
        m_devices.push({[playing] { playing->onDeviceArrived(); }, [playing] { playing->onDeviceRemoved(); }});
    player->exec();
}

void MainDialogCommands::exportPhoneList() {
    exportList(m_window.listTexts(), m_window.messages());
}

void MainDialogCommands::exportList(const IListTexts& list, IMessageSink& messages) {
    const std::unique_ptr<ISpreadsheet> spreadsheet = m_services.makeSpreadsheet();
    ExcelExporter(messages).ExportList(list, *spreadsheet);
}

}  // namespace tapelink
