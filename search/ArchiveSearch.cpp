#include "search/ArchiveSearch.h"

#include <algorithm>

#include "archive/ArchiveNames.h"
#include "common/fs/RegularFileAt.h"
#include "phone/RecordingFolder.h"
#include "recording/CallDirection.h"
#include "search/SearchMessages.h"

namespace tapelink {

namespace {

// Lets the list redraw once for a whole run of rows.
class UpdateScope {
public:
    explicit UpdateScope(ISearchResultList& list) : m_list(list) { m_list.beginUpdate(); }
    ~UpdateScope() { m_list.endUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    ISearchResultList& m_list;
};

}  // namespace

bool ArchiveSearch::ScanFolder(const std::string& folder, const std::function<bool(const std::string&)>& wanted) {
    ClearRecords();
    if (folder.empty()) return false;
    const std::string prefix = withTrailingSlash(folder);
    const RecordingFolder recordings(prefix);
    if (!recordings.isOpen()) return false;
    std::vector<std::string> names = recordings.listWavNames();
    std::erase_if(names, [&wanted](const std::string& name) {
        return !isArchiveRecordingName(name) || (wanted && !wanted(name));
    });
    // The listing order of Linux file systems is arbitrary; name order keeps results stable between runs.
    std::sort(names.begin(), names.end());
    m_records.reserve(names.size());
    for (const std::string& name : names) {
        const auto file = recordings.readRecording(name);
        if (!file || file->size < RecordingInfo::kMinimumFileSize || !isValidDirection(file->info.direction)) {
            continue;
        }
        m_records.push_back(RecordingEntry::fromInfo(prefix, name, file->size, file->info));
    }
    if (addCompactRecords(recordings.fd(), prefix, names, wanted)) {
        std::sort(m_records.begin(), m_records.end(),
                  [](const RecordingEntry& a, const RecordingEntry& b) { return a.fileName < b.fileName; });
    }
    return !m_records.empty();
}

bool ArchiveSearch::addCompactRecords(int folderFd, const std::string& prefix, const std::vector<std::string>& listed,
                                      const std::function<bool(const std::string&)>& wanted) {
    if (m_annotations == nullptr) return false;
    bool added = false;
    // A compacted recording whose original is gone is found by the catalogue's row, which keeps what the
    // original's metadata block held; its entry keeps the original's name, so notes and tags stay with it.
    for (const CatalogueRecord& row : m_annotations->compactRecords()) {
        if (!row.hasInfo || !isValidDirection(row.direction) || !isArchiveRecordingName(row.fileName)) continue;
        if (std::binary_search(listed.begin(), listed.end(), row.fileName)) continue;
        if ((wanted && !wanted(row.fileName)) || !isRegularFileAt(folderFd, row.compactName)) continue;
        RecordingEntry entry;
        entry.size = row.size;
        entry.fileName = row.fileName;
        entry.direction = row.direction;
        entry.phoneNumber = row.phoneNumber;
        entry.startKey = row.startKey;
        entry.folder = prefix;
        entry.storedName = row.compactName;
        m_records.push_back(std::move(entry));
        added = true;
    }
    return added;
}

void ArchiveSearch::RefreshList() {
    UpdateScope update(m_list);
    m_list.clearRows();
    for (std::size_t i = 0; i < m_records.size(); ++i) AddResultRow(m_records[i], static_cast<int>(i));
}

void ArchiveSearch::RunSearch(const SearchCriteria& criteria) {
    const char* message = nullptr;
    {
        // The message waits until the list has been redrawn.
        UpdateScope update(m_list);
        message = fillResults(criteria);
    }
    if (message != nullptr) m_messages.showMessage(message);
}

const char* ArchiveSearch::fillResults(const SearchCriteria& criteria) {
    m_list.clearRows();
    if (criteria.to < criteria.from) return kMsgStartAfterEnd;
    const std::string from = startBound(criteria.from);
    const std::string to = endBound(criteria.to);
    if (m_folder.empty()) return kMsgNoSearchFolder;
    // A note or tag text names its files in the catalogue: only those are read, not the whole folder.
    std::function<bool(const std::string&)> wanted;
    if (!criteria.noteText.empty()) {
        wanted = [this, &criteria](const std::string& name) {
            return m_annotations != nullptr && m_annotations->filesWithText(criteria.noteText).contains(name);
        };
    }
    if (!ScanFolder(m_folder, wanted)) return kMsgNothingFound;
    int shown = 0;
    for (const RecordingEntry& entry : m_records) {
        if (!passes(entry, criteria, from, to)) continue;
        AddResultRow(entry, shown);
        ++shown;
    }
    return shown == 0 ? kMsgNothingFound : nullptr;
}

bool ArchiveSearch::passes(const RecordingEntry& entry, const SearchCriteria& criteria, const std::string& from,
                           const std::string& to) {
    if (!matchesNumberOrName(entry, criteria.number)) return false;
    if (!matchesSide(entry.direction, criteria.side) || !matchesKind(entry.fileName, criteria.kind)) return false;
    if (entry.startKey < from || entry.startKey > to) return false;
    return matchesNote(entry, criteria.noteText);
}

bool ArchiveSearch::matchesNumberOrName(const RecordingEntry& entry, const std::string& number) {
    if (matchesNumber(entry.phoneNumber, number)) return true;
    // A text without digits may still occur in a number ("#"), so the number test above comes first.
    return isNameText(number) && m_annotations != nullptr && m_annotations->nameContains(entry.phoneNumber, number);
}

bool ArchiveSearch::matchesNote(const RecordingEntry& entry, const std::string& noteText) {
    if (noteText.empty()) return true;
    return m_annotations != nullptr && m_annotations->filesWithText(noteText).count(entry.fileName) > 0;
}

void ArchiveSearch::AddResultRow(const RecordingEntry& entry, int index) {
    SearchResultRow row = searchResultRow(entry, index);
    // The remark is left for the export to fill: reading every note would cost a large search more than
    // its criteria.
    if (m_annotations != nullptr) row.name = m_annotations->nameFor(entry.phoneNumber);
    m_list.insertRow(index, std::move(row));
}

void ArchiveSearch::AddFiles(const std::vector<std::string>& paths) {
    UpdateScope update(m_list);
    for (const std::string& path : paths) {
        const int position = m_list.rowCount();
        if (auto row = addedFileRow(path, position)) m_list.insertRow(position, std::move(*row));
    }
}

void ArchiveSearch::AddFolder(const std::string& folder) {
    m_folder = folder;
    ScanFolder(m_folder);
    RefreshList();
}

}  // namespace tapelink
