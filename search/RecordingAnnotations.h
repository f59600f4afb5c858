#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "contacts/ContactDirectory.h"
#include "recording/RecordingEntry.h"
#include "search/SearchResultRow.h"

namespace tapelink {

// The contact's name and the remark (note and tags) shown with one listed recording.
struct RowAnnotation {
    std::string name;
    std::string remark;

    bool operator==(const RowAnnotation&) const = default;
};

// What an archive adds to its recordings' rows: names from its phonebook and remarks from the notes in
// its catalogue. Made for one list or one search; notes and names are read once and then looked up.
class RecordingAnnotations {
public:
    // catalogue and notes, the archive's stores, may be null (no archive, or none could be opened):
    // remarks are then empty and no file has a note.
    RecordingAnnotations(const ContactDirectory& contacts, IArchiveCatalogue* catalogue, IRecordingNotes* notes)
        : m_contacts(contacts), m_catalogue(catalogue), m_noteStore(notes) {}

    // The contact's name for a number as the metadata block holds it; empty when none fits.
    const std::string& nameFor(const std::string& phoneNumber);
    // True when the number is that of a contact whose name contains text, shared with others or not.
    bool nameContains(const std::string& phoneNumber, const std::string& text);
    // The archived files whose note or a tag contains text, ignoring case.
    const std::unordered_set<std::string>& filesWithText(const std::string& text);
    // The live rows of the archive whose recording was compacted (their original may be gone).
    const std::vector<CatalogueRecord>& compactRecords();
    // The remark of the archive's file of that name.
    std::string remarkOfFile(const std::string& fileName);
    // The remark of the archive's copy of a telephone recording (same content), if it has one.
    std::string remarkOfCopy(const RecordingEntry& entry);

    // Name and remark of every search row: names by the number cell; remarks for the files in
    // archiveFolder (the folder of this catalogue).
    void annotate(std::vector<SearchResultRow>& rows, const std::string& archiveFolder);
    // Name and remark of each telephone recording, in the list's order.
    std::vector<RowAnnotation> annotate(const std::vector<RecordingEntry>& phoneEntries);

private:
    const std::map<std::string, RecordingNote>& notes();

    const ContactDirectory& m_contacts;
    IArchiveCatalogue* m_catalogue;
    IRecordingNotes* m_noteStore;
    std::unordered_map<std::string, std::string> m_names;  // by the number's raw bytes
    std::string m_namesText;                               // the text m_namesContaining was made for
    std::unordered_set<std::string> m_namesContaining;
    bool m_haveNamesContaining = false;
    std::string m_filesText;  // the text m_files was made for
    std::unordered_set<std::string> m_files;
    bool m_haveFiles = false;
    std::map<std::string, RecordingNote> m_notes;
    bool m_haveNotes = false;
    std::vector<CatalogueRecord> m_compact;
    bool m_haveCompact = false;
};

}  // namespace tapelink
