#include "catalogue/ArchiveVerify.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <unordered_map>

#include "archive/ArchiveFolder.h"
#include "archive/ArchiveOwnFolder.h"

namespace tapelink {

VerifyReport verifyArchive(IArchiveCatalogue& catalogue, const std::string& folder, std::stop_token stop,
                           const HashProgress& progress) {
    VerifyReport report;
    const ArchiveFolder archive(folder);
    if (!archive.isOpen()) {
        report.folderOpen = false;
        return report;
    }
    std::vector<CatalogueRecord> rows;
    report.status = catalogue.liveRecords(rows);
    if (report.status != CatalogueStatus::Ok) return report;
    std::unordered_map<std::string, const CatalogueRecord*> rowOfName;
    for (const CatalogueRecord& row : rows) rowOfName.emplace(row.fileName, &row);

    std::vector<std::string> names;
    for (const ArchiveFile& file : archive.listFiles()) names.push_back(file.name);
    const int total = static_cast<int>(names.size());
    if (progress) progress(0, total);
    const auto hashed = archive.hashFiles(names, stop, [&](int done) {
        if (progress) progress(done, total);
    });
    report.stopped = stop.stop_requested();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto found = rowOfName.find(names[i]);
        const CatalogueRecord* row = found == rowOfName.end() ? nullptr : found->second;
        if (row != nullptr) rowOfName.erase(found);
        if (!hashed[i]) {
            if (!report.stopped) report.unreadable.push_back(names[i]);
            continue;
        }
        ++report.checked;
        if (row == nullptr) {
            report.unrecorded.push_back(names[i]);
        } else if (row->sha256 != hashed[i]->file.sha256) {
            report.changed.push_back(names[i]);
        }
    }
    // An expired recording belongs in .tapelink/expired/ (or, its move cut off, still in the folder); a
    // compacted one whose original is gone is held by its compact file.
    const ArchiveOwnFolder own(folder, ArchiveOwnFolder::Mode::OpenOnly);
    bool absent = false;
    std::string failure;
    const FileDescriptor expired = own.openExpired(false, absent, failure);
    std::vector<std::string> compactNames;
    std::vector<const CatalogueRecord*> compactRows;
    for (const auto& [name, row] : rowOfName) {
        struct stat info {};
        if (row->state == RecordState::Expired && expired.valid() &&
            ::fstatat(expired.get(), row->replacedName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && (row->compacted() || static_cast<std::uint64_t>(info.st_size) == row->size)) {
            ++report.expired;
            continue;
        }
        if (row->compactName.empty()) {
            report.missing.push_back(name);
        } else if (!archive.statFile(row->compactName)) {
            report.missing.push_back(row->compactName);
        } else {
            compactNames.push_back(row->compactName);
            compactRows.push_back(row);
        }
    }
    if (!report.stopped && !compactNames.empty()) {
        const auto compactHashed = archive.hashFiles(compactNames, stop, {});
        report.stopped = stop.stop_requested();
        for (std::size_t i = 0; i < compactNames.size(); ++i) {
            if (!compactHashed[i]) {
                if (!report.stopped) report.unreadable.push_back(compactNames[i]);
                continue;
            }
            ++report.checked;
            if (compactHashed[i]->file.sha256 != compactRows[i]->compactSha256)
                report.changed.push_back(compactNames[i]);
        }
    }
    for (auto* list : {&report.changed, &report.missing, &report.unrecorded, &report.unreadable}) {
        std::sort(list->begin(), list->end());
    }
    return report;
}

}  // namespace tapelink
