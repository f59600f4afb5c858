#include <QApplication>
#include <cstdlib>

#include "app/ui/AppLook.h"
#include "app/ui/CTapelinkApp.h"
#include "common/ProcessEnd.h"
#include "common/ui/ChineseLocale.h"
#include "common/ui/DialogFont.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/PgTeamArchive.h"
#include "platform/PgTeamPhonebook.h"
#include "platform/QtDeviceWatcher.h"
#include "platform/QtTerminationSignal.h"
#include "platform/SqliteCatalogueOpener.h"
#include "settings/ProfileFolder.h"
#include "settings/TeamSettingsFile.h"

namespace {

int runWindows(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tapelink"));
    // The window's class on X11 is "tapelink" (the program's name); on Wayland the desktop entry's name
    // ties the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.Tapelink"));
    tapelink::installChineseLocale(application);
    // Every window is in the dialog font, also those that don't set it themselves.
    QApplication::setFont(tapelink::dialogFont());

    // The telephone is found in the mount table, or is the folder TAPELINK_STORE names.
    const tapelink::LinuxDeviceLocator locator;
    tapelink::QtDeviceWatcher watcher(locator.sources().storeFolder);
    watcher.start();

    // Ending the session (or a script's kill) closes the windows as the user would, so an upload in
    // progress is stopped and the program exits normally.
    tapelink::QtTerminationSignal termination;
    QObject::connect(&termination, &tapelink::QtTerminationSignal::received, &application,
                     &QApplication::closeAllWindows);
    termination.start();

    // The archives' catalogues: SQLite files in each archive folder.
    tapelink::SqliteCatalogueOpener catalogues;
    tapelink::CTapelinkApp app(locator, catalogues);
    app.setDeviceWatcher(&watcher);
    // A desk in a team searches its team's archive on the server too, as the person libpq connects as, and
    // publishes its uploads there.
    const tapelink::TeamSettings team =
        tapelink::loadTeamSettings(tapelink::teamSettingsFilePath(tapelink::profileFolderPath()));
    if (team.inTeam()) {
        // A server that does not answer holds the window (its closing waits for the phonebook's exchange) no
        // longer than this; a connect_timeout of the desk's own settings still wins.
        setenv("PGCONNECT_TIMEOUT", "10", 0);
        app.setTeamArchive(
            [server = team.server]() -> std::unique_ptr<tapelink::ITeamArchive> {
                return std::make_unique<tapelink::PgTeamArchive>(server);
            },
            team);
        app.setTeamPhonebook([server = team.server]() -> std::unique_ptr<tapelink::ITeamPhonebook> {
            return std::make_unique<tapelink::PgTeamPhonebook>(server);
        });
    }
    app.StartUp();
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    // The windows, their players and the application object are gone when runWindows returns.
    tapelink::endProcess(runWindows(argc, argv));
}
