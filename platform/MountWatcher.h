#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "phone/IDeviceChangeObserver.h"
#include "platform/MountInfo.h"

namespace tapelink {

// Turns changes of the mount table, and a watched folder appearing or disappearing, into device arrival
// and removal notifications. The kernel wakes it on every mount and unmount; it never polls on a timer.
//
//     MountWatcher watcher(storeFolder);
//     if (watcher.open()) worker = std::jthread([&](std::stop_token stop) { watcher.run(stop, observer); });
class MountWatcher {
public:
    // folder: a folder whose appearance counts as an arrival and whose disappearance as a removal (may be empty).
    explicit MountWatcher(std::string folder = {}, std::string mountInfo = kProcMountInfo);
    ~MountWatcher();
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // Takes the current state as the starting point. Changes after open() returns are all reported.
    // False when the mount table can't be watched.
    bool open();

    // Reports changes until a stop is requested; returns promptly after the request. Runs on one thread.
    void run(std::stop_token stop, IDeviceChangeObserver& observer);

private:
    void closeAll();
    void mountTableChanged(IDeviceChangeObserver& observer);
    void folderEvents(IDeviceChangeObserver& observer);
    bool folderExists() const;

    std::string m_folder;
    std::string m_mountInfoPath;
    std::string m_folderName;  // the folder's last path component, as inotify names it in its parent
    int m_mountFd = -1;
    int m_inotifyFd = -1;
    int m_wakeFd = -1;
    std::vector<MountEntry> m_mounts;
    bool m_folderPresent = false;
};

}  // namespace tapelink
