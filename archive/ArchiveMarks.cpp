#include "archive/ArchiveMarks.h"

#include <vector>

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

ArchiveMark archiveMarkOf(IArchiveCatalogue& catalogue, const RecordingEntry& entry) {
    std::vector<CatalogueRecord> sameContent;
    if (catalogue.findByContent(contentKeyOf(entry), sameContent) == CatalogueStatus::Ok) {
        for (const CatalogueRecord& record : sameContent) {
            if (!record.sha256.empty()) return ArchiveMark::Archived;
        }
    }
    std::optional<CatalogueRecord> sameName;
    if (catalogue.findByName(entry.fileName, sameName) == CatalogueStatus::Ok && sameName &&
        sameName->state != RecordState::Missing) {
        return ArchiveMark::SameNameDifferent;
    }
    return ArchiveMark::None;
}

}  // namespace tapelink
