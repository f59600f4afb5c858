#include "retention/ExpiredFolderScan.h"

#include <algorithm>
#include <cctype>
#include <stop_token>
#include <unordered_set>

#include "archive/ArchiveFolder.h"
#include "archive/ArchiveOwnFolder.h"
#include "recording/RecordingKind.h"

namespace tapelink {

namespace {

// "NAME.WAV.2" was kept aside as the second "NAME.WAV".
std::string homeNameOf(const std::string& aside) {
    const std::size_t dot = aside.rfind('.');
    if (dot == std::string::npos || dot + 1 == aside.size()) return aside;
    const bool counted = std::all_of(aside.begin() + static_cast<std::ptrdiff_t>(dot) + 1, aside.end(),
                                     [](unsigned char c) { return std::isdigit(c) != 0; });
    const std::string base = aside.substr(0, dot);
    return counted && base.find('.') != std::string::npos ? base : aside;
}

}  // namespace

ExpiredScanReport recordExpiredFiles(IArchiveCatalogue& catalogue, const std::string& archiveFolder, std::int64_t now) {
    ExpiredScanReport report;
    const ArchiveOwnFolder own(archiveFolder, ArchiveOwnFolder::Mode::OpenOnly);
    if (!own.isOpen()) return report;
    bool absent = false;
    std::string failure;
    FileDescriptor expiredFd = own.openExpired(false, absent, failure);
    if (!expiredFd.valid()) return report;
    const ArchiveFolder expired(std::move(expiredFd));

    std::vector<CatalogueFileState> rows;
    report.status = catalogue.liveFileStates(rows);
    if (report.status != CatalogueStatus::Ok) return report;
    std::unordered_set<std::string> taken;
    for (const CatalogueFileState& row : rows) taken.insert(row.fileName);

    const std::vector<ArchiveFile> files = expired.listAllFiles();
    std::vector<std::string> names;
    for (const ArchiveFile& file : files) names.push_back(file.name);
    const auto hashed = expired.hashFiles(names, std::stop_token{}, {});
    CatalogueChanges changes;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string name = homeNameOf(files[i].name);
        if (taken.contains(name)) name = files[i].name;
        if (!hashed[i] || taken.contains(name)) {
            ++report.skipped;
            continue;
        }
        taken.insert(name);
        CatalogueRecord record;
        record.fileName = name;
        record.size = hashed[i]->file.size;
        record.mtimeNs = hashed[i]->file.mtimeNs;
        record.sha256 = hashed[i]->file.sha256;
        // Only a recording's own header holds its call; a compact file's bytes there mean nothing.
        if (hashed[i]->info && hasWaveExtension(files[i].name)) {
            record.hasInfo = true;
            record.direction = hashed[i]->info->direction;
            record.phoneNumber = hashed[i]->info->phoneNumber;
            record.startKey = hashed[i]->info->startKey();
        }
        record.kind = name.size() > 2 ? name.substr(2, 1) : std::string();
        record.archivedAt = now;
        record.archivedBy = "found";
        record.state = RecordState::Expired;
        record.replacedName = files[i].name;
        record.expiredAt = now;
        changes.upserts.push_back(std::move(record));
    }
    report.status = catalogue.apply(changes);
    if (report.status == CatalogueStatus::Ok) report.recorded = static_cast<int>(changes.upserts.size());
    return report;
}

}  // namespace tapelink
