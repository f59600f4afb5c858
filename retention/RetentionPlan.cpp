#include "retention/RetentionPlan.h"

#include <algorithm>
#include <ctime>
#include <map>

namespace tapelink {

namespace {

bool digitsAt(const std::string& text, std::size_t at, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + 2; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

bool callStartOf(const std::string& startKey, std::int64_t& seconds) {
    if (startKey.size() != 10) return false;
    int parts[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (!digitsAt(startKey, static_cast<std::size_t>(i) * 2, parts[i])) return false;
    }
    std::tm time{};
    time.tm_year = 100 + parts[0];
    time.tm_mon = parts[1] - 1;
    time.tm_mday = parts[2];
    time.tm_hour = parts[3];
    time.tm_min = parts[4];
    time.tm_isdst = -1;
    if (time.tm_mon < 0 || time.tm_mon > 11 || time.tm_mday < 1 || time.tm_mday > 31 || time.tm_hour > 23 ||
        time.tm_min > 59)
        return false;
    const std::time_t result = std::mktime(&time);
    if (result == static_cast<std::time_t>(-1)) return false;
    seconds = result;
    return true;
}

RetentionPreview previewRetention(IArchiveCatalogue& catalogue, IRecordingNotes& notes, int days, std::int64_t now) {
    RetentionPreview preview;
    std::vector<CatalogueRecord> rows;
    std::map<std::string, RecordingNote> noted;
    preview.status = catalogue.liveRecords(rows);
    // Without the notes no recording could be told safe: nothing is chosen.
    if (preview.status == CatalogueStatus::Ok) preview.status = notes.allNotes(noted);
    if (preview.status != CatalogueStatus::Ok || days < 0) return preview;
    const std::int64_t cutoff = now - static_cast<std::int64_t>(days) * 86400;
    for (const CatalogueRecord& row : rows) {
        std::int64_t start = 0;
        if (row.state != RecordState::Present || !row.hasInfo || !callStartOf(row.startKey, start) || start >= cutoff)
            continue;
        if (const auto note = noted.find(row.fileName); note != noted.end() && !note->second.empty()) {
            ++preview.keptByNote;
            continue;
        }
        const bool fromPhone = row.archivedBy != "found" || !row.phoneSerial.empty();
        preview.candidates.push_back({row.fileName, row.size, row.startKey, fromPhone, row.compactName});
        preview.bytes += row.size;
        preview.fromPhone += fromPhone ? 1 : 0;
    }
    std::sort(preview.candidates.begin(), preview.candidates.end(), [](const auto& a, const auto& b) {
        return a.startKey != b.startKey ? a.startKey < b.startKey : a.fileName < b.fileName;
    });
    return preview;
}

}  // namespace tapelink
