#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/IMessageSink.h"
#include "recording/RecordingEntry.h"
#include "search/ISearchResultList.h"
#include "search/RecordingAnnotations.h"
#include "search/SearchCriteria.h"

namespace tapelink {

// Searches a folder of recordings uploaded to the PC and fills the result list: the search dialog's logic,
// also run by the command line. The folder is read afresh at every search; nothing is cached.
class ArchiveSearch {
public:
    ArchiveSearch(ISearchResultList& list, IMessageSink& messages) : m_list(list), m_messages(messages) {}

    const std::string& searchFolder() const { return m_folder; }
    void setSearchFolder(std::string folder) { m_folder = std::move(folder); }
    // Names and notes of the search folder's archive, for matching and for the rows' names; null (the
    // default) searches by number only and leaves names empty. Remarks are filled only on demand
    // (SearchResultTable::fillNamesAndRemarks). Not owned; made afresh for each search,
    // so that it holds the notes as they are now.
    void setAnnotations(RecordingAnnotations* annotations) { m_annotations = annotations; }
    const std::vector<RecordingEntry>& records() const { return m_records; }

    // Empties the result records and refills them from the recordings directly inside folder, in file-name
    // order; true when at least one was taken. The result list is not touched. wanted, when given, picks
    // the file names worth reading.
    bool ScanFolder(const std::string& folder, const std::function<bool(const std::string&)>& wanted = {});
    // Empties the result list and shows every result record, numbered from 1, without criteria.
    void RefreshList();
    // The search command: shows the records of the search folder that pass the criteria, or a message.
    void RunSearch(const SearchCriteria& criteria);
    // Inserts the row of entry at the 0-based index; the row's number is index + 1.
    void AddResultRow(const RecordingEntry& entry, int index);
    // Appends a row for each accepted file, in the given order. These rows are not result records.
    void AddFiles(const std::vector<std::string>& paths);
    // Makes folder the search folder and lists every recording in it. An empty folder (a cancelled
    // choice) lists nothing.
    void AddFolder(const std::string& folder);
    void ClearRecords() { m_records.clear(); }

private:
    // Fills the list for one search; the message to show, or nullptr.
    const char* fillResults(const SearchCriteria& criteria);
    bool passes(const RecordingEntry& entry, const SearchCriteria& criteria, const std::string& from,
                const std::string& to);
    // Adds the archive's compacted recordings whose original is not among the listed names (sorted); true
    // when any was added.
    bool addCompactRecords(int folderFd, const std::string& prefix, const std::vector<std::string>& listed,
                           const std::function<bool(const std::string&)>& wanted);
    bool matchesNumberOrName(const RecordingEntry& entry, const std::string& number);
    bool matchesNote(const RecordingEntry& entry, const std::string& noteText);

    ISearchResultList& m_list;
    IMessageSink& m_messages;
    std::string m_folder;
    std::vector<RecordingEntry> m_records;
    RecordingAnnotations* m_annotations = nullptr;
};

}  // namespace tapelink
