#include "catalogue/CatalogueReconciler.h"

#include <ctime>
#include <future>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "archive/ArchiveFolder.h"

namespace tapelink {

namespace {

// Rows written per transaction while hashing: a cut-off run loses at most this much work.
constexpr std::size_t kBatch = 2000;

bool isLive(RecordState state) {
    return state == RecordState::Present || state == RecordState::Changed;
}

CatalogueRecord foundRecord(const ArchiveFile& file, const HashedRecording& hashed) {
    CatalogueRecord record;
    record.fileName = file.name;
    record.size = hashed.file.size;
    record.mtimeNs = hashed.file.mtimeNs;
    record.sha256 = hashed.file.sha256;
    if (hashed.info) {
        record.hasInfo = true;
        record.direction = hashed.info->direction;
        record.phoneNumber = hashed.info->phoneNumber;
        record.startKey = hashed.info->startKey();
    }
    record.kind = file.name.size() > 2 ? file.name.substr(2, 1) : std::string();
    record.archivedAt = static_cast<std::int64_t>(std::time(nullptr));
    record.archivedBy = "found";
    return record;
}

// The row after its file was hashed again: the same content keeps the row, other content marks it.
CatalogueRecord rehashedRecord(CatalogueRecord record, const HashedRecording& hashed) {
    record.size = hashed.file.size;
    record.mtimeNs = hashed.file.mtimeNs;
    if (hashed.file.sha256 == record.sha256) {
        record.state = RecordState::Present;
        record.currentSha256.clear();
    } else {
        record.state = RecordState::Changed;
        record.currentSha256 = hashed.file.sha256;
    }
    return record;
}

}  // namespace

ReconcileReport reconcileCatalogue(IArchiveCatalogue& catalogue, const std::string& folder, std::stop_token stop,
                                   const HashProgress& progress) {
    ReconcileReport report;
    const ArchiveFolder archive(folder);
    if (!archive.isOpen()) {
        report.folderOpen = false;
        return report;
    }
    // Names, sizes and times only: the full rows of the few files that changed are read as they are hashed.
    std::vector<CatalogueFileState> rows;
    report.status = catalogue.liveFileStates(rows);
    if (report.status != CatalogueStatus::Ok) return report;
    std::unordered_map<std::string, std::size_t> rowOfName;
    rowOfName.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rowOfName.emplace(rows[i].fileName, i);

    std::vector<char> seen(rows.size(), 0);
    std::vector<ArchiveFile> toHash;
    std::vector<std::string> partialCopies;
    std::vector<ArchiveFile> files = archive.listFiles(&partialCopies);
    if (catalogue.writable()) archive.removeAbandonedCopies(partialCopies);
    for (ArchiveFile& file : files) {
        const auto found = rowOfName.find(file.name);
        if (found != rowOfName.end()) {
            const CatalogueFileState& row = rows[found->second];
            seen[found->second] = 1;
            if (isLive(row.state) && row.size == file.size && row.mtimeNs == file.mtimeNs) {
                ++report.unchanged;
                continue;
            }
        }
        toHash.push_back(std::move(file));
    }

    CatalogueChanges changes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (seen[i] || !isLive(rows[i].state)) continue;
        // A compacted recording's original is gone on purpose: its compact file holds it.
        if (!rows[i].compactName.empty() && archive.statFile(rows[i].compactName)) {
            ++report.unchanged;
            continue;
        }
        changes.missing.push_back(rows[i].fileName);
    }
    report.missing = static_cast<int>(changes.missing.size());

    const int total = static_cast<int>(toHash.size());
    if (progress) progress(0, total);
    // Each batch is written while the next one is hashed; the catalogue is used by one thread at a time.
    CatalogueChanges inFlight;
    std::future<CatalogueStatus> writing;  // after inFlight: waited for before it goes
    const auto written = [&] {
        if (writing.valid()) report.status = writing.get();
        return report.status == CatalogueStatus::Ok;
    };
    for (std::size_t start = 0; start < toHash.size() && !stop.stop_requested(); start += kBatch) {
        const std::size_t end = std::min(toHash.size(), start + kBatch);
        std::vector<std::string> names;
        for (std::size_t i = start; i < end; ++i) names.push_back(toHash[i].name);
        const auto hashed = archive.hashFiles(names, stop, [&](int done) {
            if (progress) progress(static_cast<int>(start) + done, total);
        });
        if (!written()) return report;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!hashed[i]) {
                if (!stop.stop_requested()) ++report.unreadable;
                continue;
            }
            const ArchiveFile& file = toHash[start + i];
            std::optional<CatalogueRecord> row;
            if (rowOfName.contains(file.name)) {
                report.status = catalogue.findByName(file.name, row);
                if (report.status != CatalogueStatus::Ok) return report;
            }
            if (!row) {
                changes.upserts.push_back(foundRecord(file, *hashed[i]));
                ++report.added;
                continue;
            }
            CatalogueRecord record = rehashedRecord(std::move(*row), *hashed[i]);
            ++report.rehashed;
            if (record.state == RecordState::Changed) ++report.changed;
            changes.upserts.push_back(std::move(record));
        }
        if (catalogue.writable()) {
            inFlight = std::exchange(changes, {});
            try {
                writing = std::async(std::launch::async, [&] { return catalogue.apply(inFlight); });
            } catch (const std::system_error&) {
                report.status = catalogue.apply(inFlight);  // no thread to spare: written now
                if (report.status != CatalogueStatus::Ok) return report;
            }
        }
    }
    if (!written()) return report;
    report.stopped = stop.stop_requested();
    if (catalogue.writable() && !changes.empty()) report.status = catalogue.apply(changes);
    return report;
}

CatalogueStatus catalogueOneFile(IArchiveCatalogue& catalogue, const std::string& folder, const std::string& name) {
    const ArchiveFolder archive(folder);
    const std::optional<ArchiveFile> file = archive.isOpen() ? archive.statFile(name) : std::nullopt;
    if (!file) return CatalogueStatus::Failed;
    const auto hashed = archive.hashFiles({name}, std::stop_token{}, {});
    if (hashed.empty() || !hashed.front()) return CatalogueStatus::Failed;
    CatalogueChanges changes;
    changes.upserts.push_back(foundRecord(*file, *hashed.front()));
    return catalogue.apply(changes);
}

}  // namespace tapelink
