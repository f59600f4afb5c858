#include "platform/CatalogueRebuild.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>

#include "archive/ArchiveLayout.h"
#include "archive/StampedName.h"
#include "catalogue/CatalogueReconciler.h"
#include "platform/ArchiveWriteLock.h"
#include "platform/CatalogueCarryOver.h"
#include "platform/OldCatalogues.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteCatalogueOpener.h"
#include "retention/ExpiredFolderScan.h"

namespace tapelink {

namespace {

constexpr const char* kBuildingSuffix = ".new";
constexpr const char* kCopyingSuffix = ".copying";
constexpr std::array kCompanions = {"", "-journal", "-wal", "-shm"};

enum class Kind { Absent, Regular, Other };

Kind kindOf(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return errno == ENOENT ? Kind::Absent : Kind::Other;
    return S_ISREG(status.st_mode) ? Kind::Regular : Kind::Other;
}

// Only this program makes these files, under the lock now held: what is there is a killed run's.
void removeLeftovers(const std::string& path) {
    for (const char* suffix : {kBuildingSuffix, kCopyingSuffix}) {
        for (const char* companion : kCompanions) {
            const std::string name = path + suffix + companion;
            if (kindOf(name) != Kind::Absent && ::unlink(name.c_str()) != 0 && errno == EISDIR) {
                ::rename(name.c_str(), freeStampedName("", name, ".unreadable-").c_str());
            }
        }
    }
}

bool syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | flags);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A copy where the folder's file system has no hard links; written under a temporary name first.
bool copyDurably(const std::string& from, const std::string& to, const std::string& temporary) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return false;
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool fine = out >= 0;
    char buffer[1 << 16];
    while (fine) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) break;
        fine = got > 0 && ::write(out, buffer, static_cast<std::size_t>(got)) == got;
    }
    fine = fine && ::fsync(out) == 0;
    ::close(in);
    if (out >= 0) ::close(out);
    fine = fine && ::rename(temporary.c_str(), to.c_str()) == 0;
    if (!fine) ::unlink(temporary.c_str());
    return fine;
}

// The current catalogue gets a second name before the new one takes the first: at every moment one of
// them is catalogue.sqlite.
bool keepCurrent(const std::string& path, const std::string& keptPath) {
    if (::link(path.c_str(), keptPath.c_str()) == 0) return true;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK) return false;
    return copyDurably(path, keptPath, path + kCopyingSuffix);
}

// Phonebook, notes and tags from the newest older catalogue that has any, where the current one had none
// (a rebuild of an earlier version, killed halfway, left them only there).
std::string rescueUserData(const std::string& folder, const std::string& building) {
    if (catalogueHoldsUserData(building)) return {};
    for (const std::string& name : oldCatalogueNames(folder)) {
        if (!catalogueHoldsUserData(folder + name)) continue;
        if (carryOverCatalogue(building, folder + name, CarryOverScope::UserData) == CatalogueStatus::Ok) return name;
    }
    return {};
}

RebuildOutcome build(const std::string& archiveFolder, const std::string& building, const HashProgress& progress,
                     RebuildReport& report) {
    CatalogueOpening opening = openCatalogueToBuild(building);
    if (!opening.catalogue) return RebuildOutcome::Failed;
    const ReconcileReport reconciled = reconcileCatalogue(*opening.catalogue, archiveFolder, {}, progress);
    report.added = reconciled.added;
    report.unreadable = reconciled.unreadable;
    report.folderOpen = reconciled.folderOpen;
    if (!reconciled.folderOpen || reconciled.status != CatalogueStatus::Ok) return RebuildOutcome::Failed;
    // The recordings the retention rule set aside stay expired: restorable, purgeable, never the archive's.
    const ExpiredScanReport expired =
        recordExpiredFiles(*opening.catalogue, archiveFolder, static_cast<std::int64_t>(std::time(nullptr)));
    report.unreadable += expired.skipped;
    return expired.status == CatalogueStatus::Ok ? RebuildOutcome::Done : RebuildOutcome::Failed;
}

RebuildOutcome rebuildLocked(const std::string& archiveFolder, const HashProgress& progress, RebuildReport& report) {
    const std::string folder = catalogueFolderOf(archiveFolder);
    const std::string path = folder + kCatalogueFileName;
    const std::string building = path + kBuildingSuffix;
    removeLeftovers(path);

    // A link, folder or special file in a catalogue's or a journal's place is no catalogue: it goes aside
    // as it is, never followed.
    for (const char* companion : kCompanions) {
        const std::string name = path + companion;
        if (kindOf(name) != Kind::Other) continue;
        const std::string aside = freeStampedName(folder, std::string(kCatalogueFileName) + companion, ".unreadable-");
        if (::rename(name.c_str(), (folder + aside).c_str()) != 0) return RebuildOutcome::Failed;
        report.setAsideAs.push_back(folder + aside);
    }

    RebuildOutcome outcome = build(archiveFolder, building, progress, report);
    bool currentReadable = kindOf(path) == Kind::Regular;
    if (outcome == RebuildOutcome::Done && currentReadable) {
        const CatalogueStatus carried = carryOverCatalogue(building, path);
        if (carried == CatalogueStatus::NewerVersion) outcome = RebuildOutcome::NewerVersion;
        if (carried == CatalogueStatus::Failed || carried == CatalogueStatus::ReadOnly)
            outcome = RebuildOutcome::Failed;
        currentReadable = carried != CatalogueStatus::Unreadable;
    }
    if (outcome == RebuildOutcome::Done) report.carriedFrom = rescueUserData(folder, building);
    if (outcome != RebuildOutcome::Done || !syncPath(building, 0)) {
        removeLeftovers(path);
        return outcome == RebuildOutcome::Done ? RebuildOutcome::Failed : outcome;
    }

    if (kindOf(path) == Kind::Regular) {
        const std::string kept =
            freeStampedName(folder, kCatalogueFileName, currentReadable ? ".old-" : ".unreadable-");
        if (!keepCurrent(path, folder + kept)) {
            removeLeftovers(path);
            return RebuildOutcome::Failed;
        }
        (currentReadable ? report.keptAs : report.setAsideAs.emplace_back()) = folder + kept;
        // A journal left by a writer killed mid-write belongs to the old file, never to the new one.
        if (kindOf(path + "-journal") == Kind::Regular) {
            ::rename((path + "-journal").c_str(), (folder + kept + "-journal").c_str());
        }
    }
    if (::rename(building.c_str(), path.c_str()) != 0) {
        removeLeftovers(path);
        return RebuildOutcome::Failed;
    }
    syncPath(folder, O_DIRECTORY);
    const std::string justKept = report.keptAs.empty() ? std::string() : report.keptAs.substr(folder.size());
    report.removedOld = pruneOldCatalogues(folder, kOldCataloguesKept, justKept);
    return RebuildOutcome::Done;
}

}  // namespace

RebuildReport rebuildCatalogue(const std::string& archiveFolder, const HashProgress& progress) {
    RebuildReport report;
    const ArchiveWriteLock lock(archiveFolder);
    if (!lock.held()) {
        report.outcome = RebuildOutcome::LockUnavailable;
        report.lockPlace = lock.place();
        return report;
    }
    report.outcome = rebuildLocked(archiveFolder, progress, report);
    return report;
}

}  // namespace tapelink
