#include <QApplication>
#include <cstdlib>

#include "app/ui/AppLook.h"
#include "app/ui/CTapelinkApp.h"
#include "common/ui/ChineseLocale.h"
#include "common/ui/DialogFont.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/QtDeviceWatcher.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tapelink"));
    tapelink::installChineseLocale(application);
    // Every window is in the dialog font, also those that don't set it themselves.
    QApplication::setFont(tapelink::dialogFont());

    // The telephone is found in the mount table, or is the folder TAPELINK_STORE names.
    const tapelink::LinuxDeviceLocator locator;
    tapelink::QtDeviceWatcher watcher(locator.sources().storeFolder);
    watcher.start();

    tapelink::CTapelinkApp app(locator);
    app.setDeviceWatcher(&watcher);
    app.StartUp();
    return EXIT_SUCCESS;
}
