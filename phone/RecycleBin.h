#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <system_error>
#include <vector>

#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "phone/IRestoreObserver.h"
#include "phone/PhoneIndexFile.h"
#include "phone/PhoneIndexHeader.h"
#include "phone/PhoneStore.h"
#include "phone/TransferJob.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

enum class RestoreOutcome { Restored, SerialsExhausted, PathError, Failed, Refused };

struct RestoredFile {
    std::string binName;    // the name it had in RECYCLE/
    std::string voiceName;  // the name it has now in voice/

    bool operator==(const RestoredFile&) const = default;
};

struct RestoreReport {
    std::vector<RestoredFile> restored;
    int failed = 0;        // rows not restored, each with its message
    bool stopped = false;  // the stop was requested before every row was done
    bool refused = false;  // nothing was tried: not the volume the header came from, no usable index, read-only

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
    // (any kind letter), legacy REC names moved to their VO names first (the folder is then listed again, so
    // the rows are those the next listing gives; renamed receives how many were moved), files with a valid
    // metadata block. Links and special files are passed over.
    std::vector<RecordingEntry> RefreshList(int* renamed = nullptr) const;

    // Restores the file named in column 1 of row into voice/. The new name is built from nextSerial and
    // the kind letter (any letter but A, B, C, I, K gives a J name). A name already taken in voice/ is
    // never replaced: its serial is used up and the next one tried. On success nextSerial and
    // recordingCount go up by one and the bin's copy is deleted. Every failure is told to the user.
    // Nothing is done (Refused, told) unless the header may be written to this volume: the volume it was read
    // from, with a valid index, not read-only.
    RestoreOutcome RestoreOne(const IListTexts& list, int row, RestoredFile* restored = nullptr);

    // The restore worker's body: the job's rows one after the other, then the end sequence of the
    // observer. A stop request is seen between rows: the row in progress is finished, the rest left.
    // On a full run the user is told "还原完毕！". Refused as a whole, with one message, as RestoreOne is; the
    // header is then not saved, and the list and the telephone are read again.
    RestoreReport RestoreWorker(const TransferJob& job, const IListTexts& list, std::stop_token stop,
                                IRestoreObserver& observer);

    // Deletes RECYCLE/<name> for each name in order, stopping at the first that can't be deleted (with
    // the file-error text). The header is not changed. Refused with "设备未准备好！" when the drive root is
    // not the volume the header was read from. Returns how many were deleted.
    int PermanentDelete(const std::vector<std::string>& fileNames, const DeletedCallback& deleted = {});
    // The last PermanentDelete did nothing because the volume is not the header's or is read-only.
    bool deleteRefused() const { return m_deleteRefused; }

    // Writes the in-memory header to system/phone.bin; false when it can't be written (not told).
    bool savePhoneIndex() const;

private:
    IndexWriteCheck checkWritable(const PhoneVolume& volume) const;
    RestoreOutcome restoreOne(const PhoneVolume& volume, const IListTexts& list, int row, RestoredFile* restored);
    bool serialsLeft() const;
    void useUpSerial();

    PhoneStore m_store;
    PhoneIndexHeader& m_header;
    IMessageSink& m_messages;
    bool m_deleteRefused = false;
};

// Deletes a regular file of an open telephone folder; anything else counts as not there.
std::error_code removeRecording(int folderFd, const std::string& name);

// "VOA00065.WAV": the name a restored recording of the given kind letter gets with the given serial.
// The letters A, B, C, I and K are kept; every other letter gives a J name.
std::string restoredFileName(char kindLetter, std::uint16_t serial);

}  // namespace tapelink
