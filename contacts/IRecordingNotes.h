#pragma once

#include <map>
#include <set>
#include <string>

#include "common/CatalogueStatus.h"
#include "contacts/RecordingNote.h"

namespace tapelink {

// Notes and tags of the archive's recordings. They belong to the catalogue's row of the recording, so
// they stay with it when the file is set aside as replaced.
class IRecordingNotes {
public:
    virtual ~IRecordingNotes() = default;

    // The note of the live file of this name; empty when it has none.
    virtual CatalogueStatus noteOf(const std::string& fileName, RecordingNote& out) = 0;
    // Replaces the note of the live file of this name; an empty note removes it.
    virtual CatalogueStatus setNote(const std::string& fileName, const RecordingNote& note) = 0;
    // Every live file that has a note, by file name.
    virtual CatalogueStatus allNotes(std::map<std::string, RecordingNote>& out) = 0;
    // Live files whose note text or a tag contains text, ignoring case.
    virtual CatalogueStatus filesWithText(const std::string& text, std::set<std::string>& out) = 0;
};

}  // namespace tapelink
