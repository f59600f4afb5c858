#include "platform/MountWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iterator>

namespace tapelink {

namespace {

constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Empties a non-blocking descriptor whose content only says "something happened".
void drain(int fd) {
    alignas(inotify_event) char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace

MountWatcher::MountWatcher(std::string folder, std::string mountInfo)
    : m_folder(withoutTrailingSlashes(std::move(folder))), m_mountInfoPath(std::move(mountInfo)) {}

MountWatcher::~MountWatcher() {
    closeAll();
}

void MountWatcher::closeAll() {
    closeFd(m_mountFd);
    closeFd(m_inotifyFd);
    closeFd(m_wakeFd);
}

bool MountWatcher::open() {
    closeAll();
    m_mountFd = ::open(m_mountInfoPath.c_str(), O_RDONLY | O_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_mountFd < 0 || m_wakeFd < 0 || !readMountInfoFrom(m_mountFd, m_mounts)) {
        closeAll();
        return false;
    }
    std::sort(m_mounts.begin(), m_mounts.end());

    if (!m_folder.empty()) {
        // The watch goes on before the folder is looked at, so a folder made in between is not missed.
        std::error_code error;
        const auto absolute = std::filesystem::absolute(m_folder, error);
        if (!error) {
            m_folder = absolute.lexically_normal().string();
            m_folder = withoutTrailingSlashes(m_folder);
        }
        m_inotifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        m_watchId = -1;
        m_watched.clear();
        if (m_inotifyFd >= 0) watchNearestAncestor();
        m_folderPresent = folderExists();
    }
    return true;
}

void MountWatcher::run(std::stop_token stop, IDeviceChangeObserver& observer) {
    if (m_mountFd < 0) return;
    const int wakeFd = m_wakeFd;
    std::stop_callback wake(stop, [wakeFd] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
    });

    while (!stop.stop_requested()) {
        // A negative descriptor is ignored by poll(), so a missing folder watch needs no special case.
        pollfd fds[3] = {{m_mountFd, POLLPRI, 0}, {m_wakeFd, POLLIN, 0}, {m_inotifyFd, POLLIN, 0}};
        if (::poll(fds, std::size(fds), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents & POLLIN) drain(m_wakeFd);
        if (stop.stop_requested()) return;
        if (fds[0].revents & (POLLPRI | POLLERR)) mountTableChanged(observer);
        if (fds[2].revents & POLLIN) folderEvents(observer);
    }
}

void MountWatcher::mountTableChanged(IDeviceChangeObserver& observer) {
    std::vector<MountEntry> now;
    if (!readMountInfoFrom(m_mountFd, now)) return;
    std::sort(now.begin(), now.end());
    std::vector<MountEntry> gone;
    std::vector<MountEntry> added;
    std::set_difference(m_mounts.begin(), m_mounts.end(), now.begin(), now.end(), std::back_inserter(gone));
    std::set_difference(now.begin(), now.end(), m_mounts.begin(), m_mounts.end(), std::back_inserter(added));
    m_mounts = std::move(now);

    // With a folder standing in for the telephone only mounts on that folder count: an unmount or a remount
    // there is a removal, and a mount there (a remount's new state too) an arrival.
    if (!m_folder.empty()) {
        // The mount table names real paths: links above the folder are resolved first.
        std::error_code error;
        std::string folder = std::filesystem::weakly_canonical(m_folder, error).string();
        if (error) folder = m_folder;
        folder = withoutTrailingSlashes(folder);
        const auto elsewhere = [&folder](const MountEntry& entry) { return entry.mountPoint != folder; };
        std::erase_if(gone, elsewhere);
        std::erase_if(added, elsewhere);
    }
    if (!gone.empty()) observer.deviceRemoved();
    if (!added.empty()) observer.deviceArrived();

    // A mount can make the folder appear or vanish; the notification just sent already covers that.
    if (m_inotifyFd >= 0) watchNearestAncestor();
    const bool present = !m_folder.empty() && folderExists();
    if (gone.empty() && added.empty() && present != m_folderPresent) {
        if (present) {
            observer.deviceArrived();
        } else {
            observer.deviceRemoved();
        }
    }
    m_folderPresent = present;
}

void MountWatcher::folderEvents(IDeviceChangeObserver& observer) {
    // Events name entries of the watched folder; whether the store folder changed is decided by looking at it.
    alignas(inotify_event) char buffer[4096];
    ssize_t length = 0;
    while ((length = ::read(m_inotifyFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // The watched folder itself went (or its file system was unmounted): the watch must be placed anew.
            if (event->wd == m_watchId && (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT))) {
                ::inotify_rm_watch(m_inotifyFd, m_watchId);
                m_watchId = -1;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    watchNearestAncestor();
    const bool present = folderExists();
    if (present == m_folderPresent) return;
    m_folderPresent = present;
    if (present) {
        observer.deviceArrived();
    } else {
        observer.deviceRemoved();
    }
}

std::string MountWatcher::nearestExistingAncestor() const {
    std::filesystem::path folder = std::filesystem::path(m_folder).parent_path();
    struct stat info {};
    while (folder.has_relative_path() && (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
        folder = folder.parent_path();
    }
    return folder.string();
}

void MountWatcher::watchNearestAncestor() {
    // Looked at again after every move, because a folder made between the look and the new watch would
    // otherwise never be noticed; the loop ends once the watch sits on the nearest existing folder.
    for (int moves = 0; moves < 64; ++moves) {
        const std::string ancestor = nearestExistingAncestor();
        if (ancestor == m_watched && m_watchId >= 0) return;
        if (m_watchId >= 0) ::inotify_rm_watch(m_inotifyFd, m_watchId);
        m_watched = ancestor;
        m_watchId = ::inotify_add_watch(m_inotifyFd, ancestor.c_str(), kFolderEvents);
        if (m_watchId < 0) return;  // the folder is still looked at on every mount change
    }
}

bool MountWatcher::folderExists() const {
    struct stat info {};
    return ::stat(m_folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tapelink
