#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tapelink {

enum class CatalogueStatus;

// Progress of hashing: hashing(0, total) once before the first file, then as files are done.
using HashProgress = std::function<void(int done, int total)>;

enum class RebuildOutcome {
    Done,
    LockUnavailable,  // the archive's write lock could not be taken; nothing was changed
    NewerVersion,     // the catalogue was written by a later version; nothing was changed
    Failed,           // the new catalogue could not be made; the old one stays in place
};

// What a catalogue built anew from the folder found, and where the previous one went.
struct RebuildReport {
    RebuildOutcome outcome = RebuildOutcome::Failed;
    int added = 0;                        // files recorded
    int unreadable = 0;                   // files that could not be read for hashing
    bool folderOpen = true;               // false: the archive folder itself could not be read
    std::string lockPlace;                // with LockUnavailable: what could not be locked
    std::string keptAs;                   // the previous catalogue's new name, if there was one
    std::vector<std::string> setAsideAs;  // an unreadable catalogue, or a link or special file in its place
    std::string carriedFrom;              // an older catalogue the phonebook and notes were taken from
    int removedOld = 0;                   // old catalogues removed beyond the number kept
};

}  // namespace tapelink
