#include "app/ui/CTapelinkApp.h"
#include "team/TeamArchiveCallFigures.h"
#include "team/TeamArchiveSearch.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QSettings>

#include "app/ui/AppLook.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/DeviceChangeRouter.h"
#include "common/ui/DialogFont.h"
#include "common/ui/MessageBoxSink.h"
#include "platform/ExportCache.h"
#include "settings/ListeningSettingsFile.h"
#include "settings/SettingsStore.h"

namespace tapelink {

CTapelinkApp::CTapelinkApp(const IDeviceLocator& locator, IArchiveCatalogueOpener& catalogues,
                           std::string profileFolder, std::string lockFolder)
    : m_locator(locator),
      m_catalogues(catalogues),
      m_profileFolder(std::move(profileFolder)),
      m_lock(std::move(lockFolder)) {}

bool CTapelinkApp::StartUp() {
    if (!m_lock.tryAcquire()) {
        QMessageBox box;
        box.setFont(dialogFont());
        MessageBoxSink::prepare(box, kAlreadyRunning, MessageIcon::Warning);
        box.exec();
        return false;
    }

    // Workbooks of earlier exports, which the spreadsheet application has long read by now.
    removeStaleExportFolders(exportCacheFolder());
    ensureProfileFolder(m_profileFolder);
    // Qt keeps its own dialogs' state (the file dialog's history and columns) in the user's settings
    // folder; the program writes nowhere but its profile folder.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(m_profileFolder));
    }
    SettingsStore settings;
    // A missing or unconfigured file simply leaves the settings empty.
    settings.Load(settingsFilePath(m_profileFolder));
    ListeningSettingsFile listening;
    listening.Load(listeningSettingsFilePath(m_profileFolder));

    MessageBoxSink messages;
    MainWindowServices services;
    services.listening = &listening;
    services.catalogueOpener = &m_catalogues;
    if (m_openTeamArchive) {
        services.teamSearch = std::make_shared<TeamArchiveSearch>(m_openTeamArchive);
        services.teamFigures = std::make_shared<TeamArchiveCallFigures>(m_openTeamArchive);
        services.openTeamArchive = m_openTeamArchive;
        services.team = m_team;
    }
    services.openTeamPhonebook = m_openTeamPhonebook;
    CTapelinkDlg window(settings, m_locator, messages, systemFolderChooser(), std::move(services));
    messages.setOwner(&window);
    if (m_watcher != nullptr) {
        // Through the window in front, which passes them on to the main window.
        DeviceChangeRouter* router = &window.deviceChanges();
        QObject::connect(m_watcher, &QtDeviceWatcher::deviceArrived, router, &DeviceChangeRouter::deviceArrived);
        QObject::connect(m_watcher, &QtDeviceWatcher::deviceRemoved, router, &DeviceChangeRouter::deviceRemoved);
    }
    window.exec();
    return false;
}

}  // namespace tapelink
