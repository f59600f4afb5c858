#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "phone/PhoneIndexFile.h"
#include "phone/PhoneIndexHeader.h"
#include "phone/RecycleBin.h"

namespace tapelink {

struct PhoneDeleteResult {
    int deleted = 0;             // files deleted; without a gate, always the first ones of the names given
    bool failed = false;         // a file could not be deleted; the user was told which
    bool headerWritten = false;  // the index reached the telephone
    // Not Ok: nothing was deleted, and the user was told why (a window then reads the telephone again).
    IndexWriteCheck refusal = IndexWriteCheck::Ok;

    bool operator==(const PhoneDeleteResult&) const = default;
};

// Asked right before each file is deleted, with the index of its name and the telephone's voice folder held
// open for the deletion: false keeps that file and goes on with the next.
using DeleteGate = std::function<bool(std::size_t index, int voiceFolderFd)>;

// Deletes the recordings of the phone list's selected rows for good: voice/<name> for each name (the
// rows' file-name column, in list order), without asking and without going through the recycle bin.
// recordingCount goes down by one per file deleted, nextSerial starts again at 1 when no recording is
// left, and the header is written. A file that can't be deleted ends the command there: the header is
// written for the files already deleted, then the file-error text is shown. No names: the user is asked
// to select a row. deleted is called after each file, so the window can remove its row at once. With a
// gate, only the files it lets through are deleted.
// Nothing is deleted unless the header may be written: the drive root must still be the volume the header
// was read from, with a valid index, and writable. Links and special files in voice/ are never deleted.
PhoneDeleteResult PermanentDelete(const std::string& driveRoot, const std::vector<std::string>& fileNames,
                                  PhoneIndexHeader& header, IMessageSink& messages, const DeletedCallback& deleted = {},
                                  const DeleteGate& mayDelete = {});

}  // namespace tapelink
