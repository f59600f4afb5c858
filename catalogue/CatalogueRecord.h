#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tapelink {

// What the catalogue knows of a row's file.
enum class RecordState {
    Present = 0,   // the file is there with the recorded content
    Missing = 1,   // the file is gone; the row is kept
    Replaced = 2,  // an overwrite moved the file to .tapelink/replaced/
    Changed = 3,   // the file is there but its content no longer hashes to the recorded digest
};

// The metadata block's fields and the size: what a telephone recording and its archived copy share
// without reading the content.
struct ContentKey {
    std::uint64_t size = 0;
    int direction = 0;
    std::string phoneNumber;
    std::string startKey;  // YYMMDDhhmm

    bool operator==(const ContentKey&) const = default;
};

// One recording the archive folder holds or held.
struct CatalogueRecord {
    std::string fileName;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string sha256;         // of the content when it was archived
    std::string currentSha256;  // Changed rows: what the file hashes to now
    bool hasInfo = false;       // false: no readable metadata block; the fields below are empty
    int direction = 0;
    std::string phoneNumber;
    std::string startKey;
    std::string kind;             // the kind letter of the file name
    std::int64_t archivedAt = 0;  // seconds since the epoch
    std::string archivedBy;       // the command that put it there, or "found" for files added by hand
    std::string phoneSerial;      // the telephone's USB serial number, empty when unknown
    RecordState state = RecordState::Present;
    std::string replacedName;  // Replaced rows: the file's name under .tapelink/replaced/
    // A compacted recording: the smaller file beside the original that now holds it, and its digest. The
    // row keeps the original's name, size and digest, so the telephone's file is still known by them.
    std::string compactName;
    std::string compactSha256;

    bool compacted() const { return !compactName.empty(); }
    ContentKey contentKey() const { return {size, direction, phoneNumber, startKey}; }
    bool operator==(const CatalogueRecord&) const = default;
};

// What reconciling needs of a row: enough to tell whether its file changed.
struct CatalogueFileState {
    std::string fileName;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    RecordState state = RecordState::Present;
    std::string compactName;  // empty unless the recording was compacted

    bool operator==(const CatalogueFileState&) const = default;
};

// Where an archived copy came from: the telephone (its USB serial, empty when unknown), the file's name
// there, and that file's size and time when it was copied or found to be in the archive.
struct PhoneOrigin {
    std::string phoneSerial;
    std::string fileName;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;

    bool operator==(const PhoneOrigin&) const = default;
};

// Changes written in one transaction.
struct CatalogueChanges {
    std::vector<CatalogueRecord> upserts;                       // each replaces the live (not replaced) row of its name
    std::vector<std::string> missing;                           // live rows whose file is gone
    std::vector<std::pair<std::string, std::string>> replaced;  // file name, name under .tapelink/replaced/
    std::vector<std::pair<std::string, PhoneOrigin>> origins;   // live file name (after the upserts), its origin

    bool empty() const { return upserts.empty() && missing.empty() && replaced.empty() && origins.empty(); }
};

}  // namespace tapelink
