#pragma once

#include <functional>
#include <memory>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "phone/IDeviceLocator.h"
#include "platform/QtDeviceWatcher.h"
#include "settings/InstanceLock.h"
#include "settings/ProfileFolder.h"
#include "team/ITeamArchive.h"
#include "team/ITeamPhonebook.h"
#include "team/TeamSettings.h"

namespace tapelink {

// The start-up sequence: one copy per user, the profile folder and its settings, then the main
// window, run modally until it closes.
class CTapelinkApp {
public:
    // catalogues: the program's one catalogue opener, handed to the windows.
    CTapelinkApp(const IDeviceLocator& locator, IArchiveCatalogueOpener& catalogues,
                 std::string profileFolder = profileFolderPath(),
                 std::string lockFolder = InstanceLock::defaultLockFolder());

    // Device arrivals and removals reach the main window through this watcher while it runs.
    void setDeviceWatcher(QtDeviceWatcher* watcher) { m_watcher = watcher; }
    // Connects to the desk's team archive, for the search dialog's team search and notes, and for publishing
    // the uploads as the settings' desk; not called when the desk is in no team.
    void setTeamArchive(std::function<std::unique_ptr<ITeamArchive>()> open, TeamSettings settings = {}) {
        m_openTeamArchive = std::move(open);
        m_team = std::move(settings);
    }
    // Connects to the team's phonebook, which the window keeps in step with the desk's.
    void setTeamPhonebook(std::function<std::unique_ptr<ITeamPhonebook>()> open) {
        m_openTeamPhonebook = std::move(open);
    }

    // Runs the program. Always false: the program ends when it returns.
    bool StartUp();

    static constexpr const char* kAlreadyRunning = "录音电话管理软件不允许同时被运行多次！";

private:
    const IDeviceLocator& m_locator;
    IArchiveCatalogueOpener& m_catalogues;
    QtDeviceWatcher* m_watcher = nullptr;
    std::function<std::unique_ptr<ITeamArchive>()> m_openTeamArchive;
    std::function<std::unique_ptr<ITeamPhonebook>()> m_openTeamPhonebook;
    TeamSettings m_team;
    std::string m_profileFolder;
    // Held for the life of the application object, which is the life of the process.
    InstanceLock m_lock;
};

}  // namespace tapelink
