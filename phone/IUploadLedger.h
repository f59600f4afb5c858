#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace tapelink {

// A copy an upload put in place: its name in the upload folder and the digest of its content, and the size
// and time of the telephone's file it was copied from (the same name on the telephone).
struct PlacedCopy {
    std::string fileName;
    std::string sha256;
    std::uint64_t sourceSize = 0;
    std::int64_t sourceMtimeNs = 0;

    bool operator==(const PlacedCopy&) const = default;
};

enum class ReplaceVerdict {
    Replace,    // the old file is safe elsewhere; go ahead
    Identical,  // the old file already holds this content: leave it, nothing to copy
    Keep,       // the old file could not be put aside: don't replace it
};

// What keeps the record of the upload folder, told about an upload as it goes, so that nothing in the
// folder is lost by an overwrite and every copy is recorded. Called on the upload's own thread.
class IUploadLedger {
public:
    virtual ~IUploadLedger() = default;
    // Before the file fileName of the upload folder is replaced by a copy whose content hashes to sha256.
    virtual ReplaceVerdict beforeReplace(const std::string& fileName, const std::string& sha256) = 0;
    // After a batch of copies was moved into place.
    virtual void recordCopies(const std::vector<PlacedCopy>& copies) = 0;
};

// What a job gets to keep its record with.
struct LedgerOpening {
    std::unique_ptr<IUploadLedger> ledger;
    std::string refusal;  // not empty: the job must not run; tells the user why, in Chinese
};

// Opens the record of an upload folder for one job. Called on the job's own thread, so a slow opening
// (a large folder to bring up to date, another program holding the archive) never holds up a window.
class IUploadLedgerSource {
public:
    virtual ~IUploadLedgerSource() = default;
    // A ledger for every job that may run, even where no record can be kept (files replaced are then still
    // kept aside); a refusal where nothing may be added to the folder (its lock can't be taken).
    virtual LedgerOpening openLedger(const std::string& driveRoot, const std::string& uploadFolder,
                                     std::stop_token stop) = 0;
};

}  // namespace tapelink
