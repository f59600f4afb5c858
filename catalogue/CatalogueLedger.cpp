#include "catalogue/CatalogueLedger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/ArchiveFolder.h"
#include "archive/ReplacedFileKeeper.h"
#include "common/fs/FolderListing.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

CatalogueLedger::CatalogueLedger(IArchiveCatalogue& catalogue, std::string archiveFolder, std::string command,
                                 std::string phoneSerial)
    : m_catalogue(catalogue),
      m_folder(withTrailingSlash(std::move(archiveFolder))),
      m_command(std::move(command)),
      m_phoneSerial(std::move(phoneSerial)) {}

ReplaceVerdict CatalogueLedger::beforeReplace(const std::string& fileName, const std::string& sha256) {
    const KeptAside kept = keepAsideBeforeReplace(m_folder, fileName, sha256);
    if (kept.verdict != ReplaceVerdict::Replace || kept.asideName.empty()) return kept.verdict;
    CatalogueChanges changes;
    changes.replaced.emplace_back(fileName, kept.asideName);
    // The file is safe under its new name either way; a row left unmarked shows as missing at the next opening.
    if (m_catalogue.apply(changes) != CatalogueStatus::Ok) m_catalogueFailed = true;
    return ReplaceVerdict::Replace;
}

void CatalogueLedger::recordCopies(const std::vector<PlacedCopy>& copies) {
    const ArchiveFolder folder(m_folder);
    CatalogueChanges changes;
    for (const PlacedCopy& copy : copies) {
        const auto placed = folder.statFile(copy.fileName);
        if (!placed) continue;
        CatalogueRecord record;
        record.fileName = copy.fileName;
        record.size = placed->size;
        record.mtimeNs = placed->mtimeNs;
        record.sha256 = copy.sha256;
        if (placed->size >= RecordingInfo::kMinimumFileSize) {
            if (const auto info = readRecordingInfoAt(folder.fd(), copy.fileName)) {
                record.hasInfo = true;
                record.direction = info->direction;
                record.phoneNumber = info->phoneNumber;
                record.startKey = info->startKey();
            }
        }
        record.kind = copy.fileName.size() > 2 ? copy.fileName.substr(2, 1) : std::string();
        record.archivedAt = static_cast<std::int64_t>(std::time(nullptr));
        record.archivedBy = m_command;
        record.phoneSerial = m_phoneSerial;
        // The same recording copied again beside its compact file: the row keeps the compact file.
        std::optional<CatalogueRecord> earlier;
        if (m_catalogue.findByName(copy.fileName, earlier) == CatalogueStatus::Ok && earlier && earlier->compacted() &&
            earlier->sha256 == record.sha256) {
            record.compactName = earlier->compactName;
            record.compactSha256 = earlier->compactSha256;
        }
        changes.upserts.push_back(std::move(record));
        // The copy has the telephone file's name: the next upload --new knows it without reading it.
        if (copy.sourceSize > 0) {
            changes.origins.emplace_back(
                copy.fileName, PhoneOrigin{m_phoneSerial, copy.fileName, copy.sourceSize, copy.sourceMtimeNs});
        }
    }
    if (m_catalogue.apply(changes) != CatalogueStatus::Ok) m_catalogueFailed = true;
}

}  // namespace tapelink
