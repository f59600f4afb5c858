#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MountWatcher.h"
#include "tests/support/FakeSysfs.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace fs = std::filesystem;

namespace {

enum class Change { Arrival, Removal };

// Collects notifications from the watcher's thread for the test's thread.
class RecordingObserver : public IDeviceChangeObserver {
public:
    void deviceArrived() override { add(Change::Arrival); }
    void deviceRemoved() override { add(Change::Removal); }

    // The first `count` notifications. The deadline only keeps a broken watcher from hanging the run.
    std::vector<Change> waitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_changes.size() >= count; });
        return {m_changes.begin(), m_changes.begin() + static_cast<long>(std::min(count, m_changes.size()))};
    }
    // Waits until a notification of this kind came after the first `from` ones.
    bool waitForKind(Change kind, std::size_t from) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] {
            return std::find(m_changes.begin() + static_cast<long>(std::min(from, m_changes.size())), m_changes.end(),
                             kind) != m_changes.end();
        });
    }
    std::size_t count() {
        std::lock_guard lock(m_mutex);
        return m_changes.size();
    }

private:
    void add(Change change) {
        std::lock_guard lock(m_mutex);
        m_changes.push_back(change);
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Change> m_changes;
};

// A regular file never signals a change, so these watchers hear only the folder.
std::string quietMountTable(const TempFolder& folder) {
    return MountInfoWriter().add("/dev/sda1", "/", "ext4").writeTo(folder.path() + "mountinfo");
}

}  // namespace

TEST(MountWatcher, ReportsTheFolderAppearingAndDisappearing) {
    TempFolder folder;
    const std::string store = folder.path() + "store/";
    MountWatcher watcher(store, quietMountTable(folder));
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });

    // Neighbours and a plain file of the folder's name are no folder: they must not count.
    std::ofstream(folder.path() + "other.txt") << "x";
    fs::create_directory(folder.path() + "store2");
    std::ofstream(folder.path() + "store") << "not a folder";
    fs::remove(folder.path() + "store");
    fs::create_directory(store);
    EXPECT_EQ(observer.waitFor(1), (std::vector<Change>{Change::Arrival}));

    fs::create_directory(store + "voice");  // inside the folder: not watched
    fs::rename(store, folder.path() + "moved");
    EXPECT_EQ(observer.waitFor(2), (std::vector<Change>{Change::Arrival, Change::Removal}));

    fs::rename(folder.path() + "moved", store);
    fs::remove_all(store);
    EXPECT_EQ(observer.waitFor(4),
              (std::vector<Change>{Change::Arrival, Change::Removal, Change::Arrival, Change::Removal}));
}

TEST(MountWatcher, StartsFromTheStateAtOpen) {
    TempFolder folder;
    const std::string store = folder.path() + "store";
    fs::create_directory(store);
    MountWatcher watcher(store, quietMountTable(folder));
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });

    fs::remove(store);  // the first change seen is a removal: the folder was there at open()
    EXPECT_EQ(observer.waitFor(1), (std::vector<Change>{Change::Removal}));
}

TEST(MountWatcher, StopEndsARunPromptly) {
    TempFolder folder;
    MountWatcher watcher(folder.path() + "store", quietMountTable(folder));
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    {
        std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });
        // Destroying the worker requests the stop and joins: this only returns if the blocked poll wakes up.
    }
    std::stop_source stopped;
    stopped.request_stop();
    watcher.run(stopped.get_token(), observer);  // already stopped: returns at once
    EXPECT_EQ(observer.count(), 0u);
}

TEST(MountWatcher, OpenFailsWithoutAMountTable) {
    TempFolder folder;
    MountWatcher watcher({}, folder.path() + "missing");
    EXPECT_FALSE(watcher.open());
    RecordingObserver observer;
    std::stop_source running;
    watcher.run(running.get_token(), observer);  // not open: returns at once instead of waiting forever
    EXPECT_EQ(observer.count(), 0u);
}

TEST(MountWatcher, ReportsARealMountAndUnmount) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    TempFolder folder;
    const std::string target = folder.path() + "mnt";
    fs::create_directory(target);

    MountWatcher watcher;  // the kernel's own table
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });

    if (::mount("tapelink-test", target.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "tmpfs can't be mounted here: " << std::strerror(errno);
    }
    // Never leave the mount behind, whatever fails below.
    struct Unmount {
        std::string target;
        bool mounted = true;
        ~Unmount() {
            if (mounted) ::umount2(target.c_str(), MNT_DETACH);
        }
    } unmount{target};

    // Other mounts on the machine may add notifications; ours must be among them, in order.
    EXPECT_TRUE(observer.waitForKind(Change::Arrival, 0));
    std::size_t seen = observer.count();
    // A remount read-only is a removal followed by an arrival.
    ASSERT_EQ(::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    EXPECT_TRUE(observer.waitForKind(Change::Removal, seen));
    EXPECT_TRUE(observer.waitForKind(Change::Arrival, seen + 1));
    seen = observer.count();
    ASSERT_EQ(::umount(target.c_str()), 0) << std::strerror(errno);
    unmount.mounted = false;
    EXPECT_TRUE(observer.waitForKind(Change::Removal, seen));
}

TEST(MountWatcher, FollowsTheFolderDownFromItsNearestExistingAncestor) {
    TempFolder folder;
    const std::string store = folder.path() + "a/b/store";
    MountWatcher watcher(store, quietMountTable(folder));
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });

    // Neither the folder nor its parent exists at the start: each level made must move the watch down.
    fs::create_directory(folder.path() + "a");
    fs::create_directory(folder.path() + "a/b");
    fs::create_directory(store);
    EXPECT_EQ(observer.waitFor(1), (std::vector<Change>{Change::Arrival}));
    fs::remove_all(folder.path() + "a");  // the watch must move back up
    EXPECT_EQ(observer.waitFor(2), (std::vector<Change>{Change::Arrival, Change::Removal}));
    fs::create_directories(store);
    EXPECT_EQ(observer.waitFor(3), (std::vector<Change>{Change::Arrival, Change::Removal, Change::Arrival}));
}

TEST(MountWatcher, AnUnmountOrRemountOnTheFolderIsARemovalAndAMountThereAnArrival) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    TempFolder folder;
    const std::string store = folder.path() + "store";
    fs::create_directory(store);
    MountWatcher watcher(store);  // the kernel's own table
    ASSERT_TRUE(watcher.open());
    RecordingObserver observer;
    std::jthread worker([&](std::stop_token stop) { watcher.run(stop, observer); });

    if (::mount("tapelink-test", store.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "tmpfs can't be mounted here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string target;
        ~Unmount() { ::umount2(target.c_str(), MNT_DETACH); }
    } unmount{store};
    EXPECT_EQ(observer.waitFor(1), (std::vector<Change>{Change::Arrival}));
    // A telephone's file system remounted read-only after an error is not the volume that was read.
    ASSERT_EQ(::mount(nullptr, store.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    EXPECT_EQ(observer.waitFor(3), (std::vector<Change>{Change::Arrival, Change::Removal, Change::Arrival}));
    ASSERT_EQ(::umount(store.c_str()), 0) << std::strerror(errno);
    EXPECT_EQ(observer.waitFor(4),
              (std::vector<Change>{Change::Arrival, Change::Removal, Change::Arrival, Change::Removal}));
}
