#pragma once

#include <string>

#include "common/IMessageSink.h"
#include "phone/IDeviceLocator.h"
#include "phone/PhoneIndexHeader.h"
#include "settings/SettingsRecord.h"

class QAction;
class QProgressBar;
class QWidget;

namespace tapelink {

class PhoneListModel;

// What the archive's commands use of the main window: the telephone and its list, the upload folder, the
// progress area and caption, the command items and the window's messages. Nothing else of the window is
// theirs to touch.
class IArchiveWindow {
public:
    virtual ~IArchiveWindow() = default;

    // The telephone and its list.
    virtual const std::string& driveRoot() const = 0;
    virtual const IDeviceLocator& locator() const = 0;
    virtual PhoneIndexHeader& phoneIndex() = 0;
    virtual PhoneListModel& phoneList() = 0;
    // Reads the telephone's list again.
    virtual void onPhoneRescan() = 0;

    // The upload folder.
    virtual const SettingsRecord& settingsCopy() const = 0;
    virtual bool uploadFolderConfirmed() const = 0;
    virtual bool pickUploadFolder() = 0;
    virtual bool folderOnPhone(const std::string& folder, bool tell) = 0;

    // The window's state while a command runs.
    virtual bool uploadRunning() const = 0;
    virtual void setUploadRunning(bool running) = 0;
    virtual void setProgressAreaShown(bool shown) = 0;
    virtual QProgressBar* progressBar() const = 0;
    virtual void setStatusText(const std::string& statusText) = 0;
    virtual QAction* action(int id) const = 0;
    virtual IMessageSink& messages() = 0;
    // The window, as the owner of the confirmations the commands ask.
    virtual QWidget* dialogOwner() = 0;
};

}  // namespace tapelink
