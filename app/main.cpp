#include <QApplication>
#include <cstdlib>

#include "app/ui/CTapelinkApp.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/QtDeviceWatcher.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tapelink"));

    // The telephone is found in the mount table, or is the folder TAPELINK_STORE names.
    const tapelink::LinuxDeviceLocator locator;
    tapelink::QtDeviceWatcher watcher(locator.sources().storeFolder);
    watcher.start();

    tapelink::CTapelinkApp app(locator);
    app.setDeviceWatcher(&watcher);
    app.StartUp();
    return EXIT_SUCCESS;
}
