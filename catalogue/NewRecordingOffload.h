#pragma once

#include <atomic>
#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "phone/IUploadObserver.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

struct OffloadReport {
    int archived = 0;         // copied and recorded in this run
    int alreadyArchived = 0;  // their content was in the archive already
    int failed = 0;
    bool refused = false;          // the archive can't be written; nothing was tried
    bool catalogueFailed = false;  // copies are in place but could not be recorded (the next opening will)
    bool folderFailed = false;     // the archive folder took no more files (full, gone, refusing); the run ended
    bool stopped = false;
    bool terminated = false;
    bool sourceGone = false;

    bool operator==(const OffloadReport&) const = default;
};

// What an offload records for each copy besides its content.
struct OffloadOrigin {
    std::string command;      // e.g. "upload --new"
    std::string phoneSerial;  // empty when unknown
};

// Copies every telephone recording whose content is not yet in the archive, never asking and never
// replacing: a name already used by another recording gets the next free suffix (VOA00001-2.WAV). Each
// copy is hashed on its way, flushed, moved into place and recorded, one catalogue transaction per batch.
// Progress and per-file failures go to the observer; the closing message is the caller's.
class NewRecordingOffload {
public:
    NewRecordingOffload(IArchiveCatalogue& catalogue, std::string archiveFolder, OffloadOrigin origin);

    // entries: the phone list's records, in list order.
    OffloadReport run(const std::string& driveRoot, const std::vector<RecordingEntry>& entries, std::stop_token stop,
                      const std::atomic<bool>& stopRequest, IUploadObserver& observer);

private:
    struct Copied;
    bool copyOne(int voiceFd, const RecordingEntry& entry, std::stop_token stop, IUploadObserver& observer,
                 std::vector<Copied>& batch);
    void publishBatch(std::vector<Copied>& batch, IUploadObserver& observer);
    std::string freeNameFor(const std::string& name, int& suffix);

    IArchiveCatalogue& m_catalogue;
    std::string m_folder;  // ends with '/'
    OffloadOrigin m_origin;
    OffloadReport m_report;
    std::vector<std::string> m_copiedDigests;
    int m_sourceError = 0;  // why copyOne() could not open its recording
};

}  // namespace tapelink
