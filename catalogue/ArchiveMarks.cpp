#include "catalogue/ArchiveMarks.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "common/Sha256.h"

namespace tapelink {

const char* archiveMarkText(ArchiveMark mark) {
    switch (mark) {
        case ArchiveMark::Archived:
            return "已存档";
        case ArchiveMark::SameNameDifferent:
            return "同名不同";
        case ArchiveMark::None:
            break;
    }
    return "";
}

ContentKey contentKeyOf(const RecordingEntry& entry) {
    return {entry.size, entry.direction, entry.phoneNumber, entry.startKey};
}

ArchiveMarker::ArchiveMarker(IArchiveCatalogue& catalogue, std::string phoneSerial)
    : m_catalogue(catalogue), m_phoneSerial(std::move(phoneSerial)) {}

ContentMatch ArchiveMarker::lookUp(const RecordingEntry& entry) {
    ContentMatch match;
    std::vector<CatalogueRecord> sameKey;
    if (m_catalogue.findByContent(contentKeyOf(entry), sameKey) == CatalogueStatus::Ok) {
        for (const CatalogueRecord& record : sameKey) {
            if (!record.sha256.empty()) match.unconfirmed.emplace_back(record.fileName, record.sha256);
        }
    }
    if (match.unconfirmed.empty()) {
        match.mark = nameMark(entry);
        return match;
    }
    struct stat info {};
    if (::lstat((entry.folder + entry.fileName).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        const std::int64_t mtimeNs =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
        match.origin = {m_phoneSerial, entry.fileName, static_cast<std::uint64_t>(info.st_size), mtimeNs};
        bool archived = false;
        if (m_catalogue.findOrigin(match.origin, archived) == CatalogueStatus::Ok && archived) {
            match.mark = ArchiveMark::Archived;
            match.archivedAs = match.unconfirmed.front().first;
            match.unconfirmed.clear();
        }
    }
    return match;
}

void ArchiveMarker::confirmByContent(const RecordingEntry& entry, ContentMatch& match) {
    if (match.unconfirmed.empty()) return;
    const auto hashed = hashFileAt(AT_FDCWD, entry.folder + entry.fileName);
    if (hashed) {
        match.hashed = true;
        match.origin = {m_phoneSerial, entry.fileName, hashed->size, hashed->mtimeNs};
        for (const auto& [fileName, sha256] : match.unconfirmed) {
            if (sha256 != hashed->sha256) continue;
            match.mark = ArchiveMark::Archived;
            match.archivedAs = fileName;
            break;
        }
    }
    match.unconfirmed.clear();
    if (match.mark != ArchiveMark::Archived) match.mark = nameMark(entry);
}

ArchiveMark ArchiveMarker::markOf(const RecordingEntry& entry) {
    ContentMatch match = lookUp(entry);
    confirmByContent(entry, match);
    return match.mark;
}

ArchiveMark ArchiveMarker::nameMark(const RecordingEntry& entry) {
    std::optional<CatalogueRecord> sameName;
    if (m_catalogue.findByName(entry.fileName, sameName) == CatalogueStatus::Ok && sameName &&
        sameName->state != RecordState::Missing && sameName->state != RecordState::Expired) {
        return ArchiveMark::SameNameDifferent;
    }
    return ArchiveMark::None;
}

}  // namespace tapelink
