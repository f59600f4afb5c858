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
    // With a folder, only mounts on it count: an unmount or remount there is a removal, a mount an arrival.
    // Without one, every mount table change counts, a remount as a removal followed by an arrival.
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
    // The deepest folder above m_folder that exists now ("/" at the least).
    std::string nearestExistingAncestor() const;
    // Keeps the folder watch on that ancestor, so that the folder's appearing is seen wherever the chain
    // of folders above it was cut.
    void watchNearestAncestor();

    std::string m_folder;
    std::string m_mountInfoPath;
    std::string m_watched;  // the folder the inotify watch is on
    int m_watchId = -1;
    int m_mountFd = -1;
    int m_inotifyFd = -1;
    int m_wakeFd = -1;
    std::vector<MountEntry> m_mounts;
    bool m_folderPresent = false;
};

}  // namespace tapelink
