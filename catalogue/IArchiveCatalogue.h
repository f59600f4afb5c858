#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CallFigures.h"
#include "catalogue/CatalogueRebuildReport.h"
#include "catalogue/CatalogueRecord.h"
#include "catalogue/IArchiveWriteLock.h"
#include "catalogue/ITeamPublishLedger.h"
#include "common/CatalogueStatus.h"
#include "contacts/IPhonebook.h"
#include "contacts/IRecordingNotes.h"

namespace tapelink {

// The record of what one archive folder holds. Implementations keep it where they like (a file in the
// folder, a server shared by a team); callers only see rows.
class IArchiveCatalogue {
public:
    virtual ~IArchiveCatalogue() = default;

    virtual bool writable() const = 0;
    // Every row that is not Replaced.
    virtual CatalogueStatus liveRecords(std::vector<CatalogueRecord>& out) = 0;
    // Name, size, time and state of every row that is not Replaced: a cheap read of a large catalogue.
    virtual CatalogueStatus liveFileStates(std::vector<CatalogueFileState>& out) = 0;
    // Present rows with this content key.
    virtual CatalogueStatus findByContent(const ContentKey& key, std::vector<CatalogueRecord>& out) = 0;
    // archived: a present row came from this very file of the telephone and still holds what it held then.
    virtual CatalogueStatus findOrigin(const PhoneOrigin& origin, bool& archived) = 0;
    // The live row of this file name, if any.
    virtual CatalogueStatus findByName(const std::string& fileName, std::optional<CatalogueRecord>& out) = 0;
    // All of changes, or nothing.
    virtual CatalogueStatus apply(const CatalogueChanges& changes) = 0;
    // Runs many lookups against one unchanging view of the catalogue, which also spares the store a
    // lock and a check for every single lookup. The lookups run even where no such view could be had
    // (each then reports its own failure); the status says whether the view was taken and ended cleanly.
    virtual CatalogueStatus withSnapshot(const std::function<void()>& lookups) = 0;
    // The counts statistics are made of, for the recordings that started from fromKey to toKey (start
    // keys, both included). This default reads every live row; a store that can group rows itself should.
    virtual CatalogueStatus callFigures(const std::string& fromKey, const std::string& toKey, CallFigureRows& out) {
        std::vector<CatalogueRecord> records;
        const CatalogueStatus status = liveRecords(records);
        out = status == CatalogueStatus::Ok ? callFiguresOf(records, fromKey, toKey) : CallFigureRows{};
        return status;
    }
};

enum class CatalogueAccess { ReadOnly, ReadWrite };

// The three stores of an archive, handed out separately so that a backend may keep them apart (a
// phonebook shared by a team, notes kept per desk). Each is null exactly when the catalogue is; each
// lives as long as any holder keeps it, and all are writable exactly when the catalogue is.
struct CatalogueOpening {
    std::shared_ptr<IArchiveCatalogue> catalogue;  // null when none could be opened
    std::shared_ptr<IPhonebook> phonebook;
    std::shared_ptr<IRecordingNotes> notes;
    // What a team's server confirmed holding; null where the backend keeps no such record.
    std::shared_ptr<ITeamPublishLedger> published;
    CatalogueStatus status = CatalogueStatus::Ok;
    std::string setAsidePath;  // an unreadable catalogue was moved here and a new, empty one created
};

// Opens the catalogue of an archive folder. ReadWrite creates it on first use and falls back to a
// read-only opening (status ReadOnly) where the folder can't be written. ReadOnly never creates anything
// and gives no catalogue where there is none yet. Each program makes one opener and hands it to
// whatever needs an archive.
class IArchiveCatalogueOpener {
public:
    virtual ~IArchiveCatalogueOpener() = default;
    virtual CatalogueOpening open(const std::string& archiveFolder, CatalogueAccess access) = 0;
    // Waits for the archive's write lock: while it is held, no other program adds to the archive, so
    // a copy and the catalogue's record of it are one step for everyone else.
    virtual std::unique_ptr<IArchiveWriteLock> writeLock(const std::string& archiveFolder) = 0;
    // Builds the catalogue anew from the folder, keeping the phonebook, notes and tags, under the lock.
    virtual RebuildReport rebuild(const std::string& archiveFolder, const HashProgress& progress) = 0;
};

}  // namespace tapelink
