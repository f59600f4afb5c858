#pragma once

#include <string>
#include <utility>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// What the archive holds of one telephone recording.
enum class ArchiveMark {
    None,
    Archived,           // a recording with the same content
    SameNameDifferent,  // a different recording under the same name
};

// The title of the phone list's ninth column.
inline constexpr const char* kArchiveColumnTitle = "存档";

// The ninth cell of the phone list: "已存档", "同名不同" or empty.
const char* archiveMarkText(ArchiveMark mark);

ContentKey contentKeyOf(const RecordingEntry& entry);

// What is known of one telephone recording's content in the archive.
struct ContentMatch {
    ArchiveMark mark = ArchiveMark::None;
    std::string archivedAs;  // Archived: an archive file holding the content
    // Archive files with the same size and metadata block whose content is not yet known to be the same
    // (file name, digest): only a hash of the telephone's file can tell.
    std::vector<std::pair<std::string, std::string>> unconfirmed;
    PhoneOrigin origin;   // the telephone's file, as it was looked at
    bool hashed = false;  // the telephone's file was read to know
};

// Tells whether each telephone recording's content is in the archive. The size and metadata block only
// point at candidates (a reset telephone starts its numbers and clock again); a recording is archived
// when the catalogue recorded a copy from this very file (telephone serial, name, size and time), or
// when its file hashes to a candidate's digest.
class ArchiveMarker {
public:
    // phoneSerial: the telephone's USB serial number, empty when unknown.
    ArchiveMarker(IArchiveCatalogue& catalogue, std::string phoneSerial);

    // From the catalogue and one stat of the telephone's file; unconfirmed candidates leave it unmarked.
    ContentMatch lookUp(const RecordingEntry& entry);
    // Hashes the telephone's file where candidates are left unconfirmed, and settles the mark.
    void confirmByContent(const RecordingEntry& entry, ContentMatch& match);
    // lookUp, then confirmByContent.
    ArchiveMark markOf(const RecordingEntry& entry);

private:
    ArchiveMark nameMark(const RecordingEntry& entry);

    IArchiveCatalogue& m_catalogue;
    std::string m_phoneSerial;
};

}  // namespace tapelink
