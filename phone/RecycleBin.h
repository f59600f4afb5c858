#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "phone/IRestoreObserver.h"
#include "phone/PhoneIndexHeader.h"
#include "phone/PhoneStore.h"
#include "phone/RecordingEntry.h"
#include "phone/TransferJob.h"

namespace tapelink {

enum class RestoreOutcome { Restored, SerialsExhausted, PathError, Failed };

struct RestoredFile {
    std::string binName;    // the name it had in RECYCLE/
    std::string voiceName;  // the name it has now in voice/

    bool operator==(const RestoredFile&) const = default;
};

struct RestoreReport {
    std::vector<RestoredFile> restored;
    int failed = 0;        // rows not restored, each with its message
    bool stopped = false;  // the stop was requested before every row was done

    bool operator==(const RestoreReport&) const = default;
};

// Called with the index (into the names given) of each file once it is deleted.
using DeletedCallback = std::function<void(std::size_t index)>;

// The telephone's recycle bin (RECYCLE/ under the drive root): listing it, restoring recordings into
// voice/ under new serial numbers, and deleting recordings from it for good. The index header is the
// caller's one in-memory copy; restores change its counters, and savePhoneIndex writes it.
// An empty drive root means no telephone: nothing is listed, nothing on the disk is touched.
class RecycleBin {
public:
    RecycleBin(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages);

    const std::string& driveRoot() const { return m_store.driveRoot(); }

    // The recordings in RECYCLE/ in the folder's listing order: 12-character names beginning with "VO"
    // (any kind letter), legacy REC names moved to their VO names first, files with a valid metadata block.
    std::vector<RecordingEntry> RefreshList() const;

    // Restores the file named in column 1 of row into voice/. The new name is built from nextSerial and
    // the kind letter (any letter but A, B, C, I, K gives a J name). A name already taken in voice/ is
    // never replaced: its serial is used up and the next one tried. On success nextSerial and
    // recordingCount go up by one and the bin's copy is deleted. Every failure is told to the user.
    RestoreOutcome RestoreOne(const IListTexts& list, int row, RestoredFile* restored = nullptr);

    // The restore worker's body: the job's rows one after the other, then the end sequence of the
    // observer. A stop request is seen between rows: the row in progress is finished, the rest left.
    // On a full run the user is told "还原完毕！".
    RestoreReport RestoreWorker(const TransferJob& job, const IListTexts& list, std::stop_token stop,
                                IRestoreObserver& observer);

    // Deletes RECYCLE/<name> for each name in order, stopping at the first that can't be deleted (with
    // the file-error text). The header is not changed. Returns how many were deleted.
    int PermanentDelete(const std::vector<std::string>& fileNames, const DeletedCallback& deleted = {});

    // Writes the in-memory header to system/phone.bin; false when it can't be written (not told).
    bool savePhoneIndex() const;

private:
    bool serialsLeft() const;
    void useUpSerial();

    PhoneStore m_store;
    PhoneIndexHeader& m_header;
    IMessageSink& m_messages;
};

// "VOA00065.WAV": the name a restored recording of the given kind letter gets with the given serial.
// The letters A, B, C, I and K are kept; every other letter gives a J name.
std::string restoredFileName(char kindLetter, std::uint16_t serial);

}  // namespace tapelink
