#include "search/RecordingAnnotations.h"

#include "catalogue/ArchiveMarks.h"
#include "contacts/NoteRules.h"
#include "recording/DisplayText.h"

namespace tapelink {

const std::string& RecordingAnnotations::nameFor(const std::string& phoneNumber) {
    // A list repeats numbers often; each is matched against the phonebook once.
    auto found = m_names.find(phoneNumber);
    if (found == m_names.end()) {
        found = m_names.emplace(phoneNumber, m_contacts.nameFor(gbkToUtf8(phoneNumber))).first;
    }
    return found->second;
}

bool RecordingAnnotations::nameContains(const std::string& phoneNumber, const std::string& text) {
    if (!m_haveNamesContaining || m_namesText != text) {
        const std::vector<std::string> names = m_contacts.namesContaining(text);
        m_namesContaining = {names.begin(), names.end()};
        m_namesText = text;
        m_haveNamesContaining = true;
    }
    if (m_namesContaining.empty()) return false;
    const std::string& name = nameFor(phoneNumber);
    if (!name.empty()) return m_namesContaining.count(name) > 0;
    // A number contacts share shows no name, yet it is each of theirs.
    for (const std::string& fitting : m_contacts.namesFitting(gbkToUtf8(phoneNumber))) {
        if (m_namesContaining.count(fitting) > 0) return true;
    }
    return false;
}

const std::unordered_set<std::string>& RecordingAnnotations::filesWithText(const std::string& text) {
    if (!m_haveFiles || m_filesText != text) {
        std::set<std::string> files;
        if (m_noteStore != nullptr) m_noteStore->filesWithText(text, files);
        m_files = {files.begin(), files.end()};
        m_filesText = text;
        m_haveFiles = true;
    }
    return m_files;
}

const std::map<std::string, RecordingNote>& RecordingAnnotations::notes() {
    if (!m_haveNotes) {
        if (m_noteStore != nullptr) m_noteStore->allNotes(m_notes);
        m_haveNotes = true;
    }
    return m_notes;
}

const std::vector<CatalogueRecord>& RecordingAnnotations::compactRecords() {
    if (!m_haveCompact) {
        if (m_catalogue != nullptr && m_catalogue->liveRecords(m_compact) != CatalogueStatus::Ok) m_compact.clear();
        std::erase_if(m_compact, [](const CatalogueRecord& row) { return !row.compacted(); });
        m_haveCompact = true;
    }
    return m_compact;
}

std::string RecordingAnnotations::remarkOfFile(const std::string& fileName) {
    const auto found = notes().find(fileName);
    return found == notes().end() ? std::string() : remarkText(found->second);
}

std::string RecordingAnnotations::remarkOfCopy(const RecordingEntry& entry) {
    if (m_catalogue == nullptr || notes().empty()) return {};
    std::vector<CatalogueRecord> copies;
    if (m_catalogue->findByContent(contentKeyOf(entry), copies) != CatalogueStatus::Ok) return {};
    for (const CatalogueRecord& copy : copies) {
        // Only a copy whose digest was recorded counts as the same content, as for the archived mark.
        if (copy.sha256.empty()) continue;
        std::string remark = remarkOfFile(copy.fileName);
        if (!remark.empty()) return remark;
    }
    return {};
}

void RecordingAnnotations::annotate(std::vector<SearchResultRow>& rows, const std::string& archiveFolder) {
    const std::string folder = withTrailingSlash(archiveFolder);
    for (SearchResultRow& row : rows) {
        // The number cell is already UTF-8; the phonebook's rule looks at its digits only.
        row.name = m_contacts.nameFor(row[kSearchNumberColumn]);
        const std::string& path = row[kPathColumn];
        const bool inArchive = path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                               path.find('/', folder.size()) == std::string::npos;
        row.remark = inArchive ? remarkOfFile(path.substr(folder.size())) : std::string();
    }
}

std::vector<RowAnnotation> RecordingAnnotations::annotate(const std::vector<RecordingEntry>& phoneEntries) {
    std::vector<RowAnnotation> annotations;
    annotations.reserve(phoneEntries.size());
    auto fill = [&] {
        for (const RecordingEntry& entry : phoneEntries) {
            annotations.push_back({nameFor(entry.phoneNumber), remarkOfCopy(entry)});
        }
    };
    if (m_catalogue != nullptr) {
        m_catalogue->withSnapshot(fill);
    } else {
        fill();
    }
    return annotations;
}

}  // namespace tapelink
