#include "app/ui/CTapelinkApp.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/SettingsStore.h"
#include "app/ui/AppLook.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/MessageBoxSink.h"

namespace tapelink {

CTapelinkApp::CTapelinkApp(const IDeviceLocator& locator, std::string profileFolder, std::string lockFolder)
    : m_locator(locator), m_profileFolder(std::move(profileFolder)), m_lock(std::move(lockFolder)) {}

bool CTapelinkApp::StartUp() {
    if (!m_lock.tryAcquire()) {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), QString::fromUtf8(kAlreadyRunning),
                        QMessageBox::Ok);
        box.setFont(dialogFont());
        box.exec();
        return false;
    }

    ensureProfileFolder(m_profileFolder);
    SettingsStore settings;
    // A missing or unconfigured file simply leaves the settings empty.
    settings.Load(settingsFilePath(m_profileFolder));

    MessageBoxSink messages;
    CTapelinkDlg window(settings, m_locator, messages);
    messages.setOwner(&window);
    if (m_watcher != nullptr) {
        QObject::connect(m_watcher, &QtDeviceWatcher::deviceArrived, &window, &CTapelinkDlg::onDeviceArrival);
        QObject::connect(m_watcher, &QtDeviceWatcher::deviceRemoved, &window, &CTapelinkDlg::onDeviceRemoval);
    }
    window.exec();
    return false;
}

}  // namespace tapelink
