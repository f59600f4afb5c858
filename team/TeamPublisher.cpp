#include "team/TeamPublisher.h"

#include <fcntl.h>

#include <map>
#include <optional>
#include <set>

#include "common/Sha256.h"
#include "common/fs/FileDescriptor.h"
#include "common/fs/RegularFileAt.h"
#include "recording/DisplayText.h"
#include "team/TeamStatus.h"

namespace tapelink {

namespace {

// The whole file, or nothing when it can't be read.
bool readAll(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

TeamRecording teamRowOf(const CatalogueRecord& record, const std::string& desk) {
    TeamRecording row;
    row.desk = desk;
    row.phoneSerial = record.phoneSerial;
    row.name = record.fileName;
    // The server keeps UTF-8 text; the telephone's bytes are GBK.
    row.number = gbkToUtf8(record.phoneNumber);
    row.direction = record.direction;
    row.kind = record.kind;
    row.startKey = record.startKey;
    row.durationSeconds = durationSeconds(static_cast<std::int64_t>(record.size));
    row.size = record.size;
    row.sha256 = record.sha256;
    return row;
}

}  // namespace

CatalogueStatus unpublishedRecords(const CatalogueSession& archive, const std::string& desk,
                                   std::vector<CatalogueRecord>& out) {
    out.clear();
    IArchiveCatalogue* catalogue = archive.catalogue();
    ITeamPublishLedger* ledger = archive.published();
    if (catalogue == nullptr || ledger == nullptr) return CatalogueStatus::Failed;
    std::set<std::string> confirmed;
    CatalogueStatus status = ledger->confirmedDigests(desk, confirmed);
    if (status != CatalogueStatus::Ok) return status;
    std::vector<CatalogueRecord> records;
    status = catalogue->liveRecords(records);
    if (status != CatalogueStatus::Ok) return status;
    // One copy of each content: the server keeps it once per desk.
    for (CatalogueRecord& record : records) {
        if (record.state != RecordState::Present || record.sha256.empty()) continue;
        if (confirmed.insert(record.sha256).second) out.push_back(std::move(record));
    }
    return CatalogueStatus::Ok;
}

TeamPublisher::TeamPublisher(CatalogueSession& archive, ITeamArchive& team, std::string desk)
    : m_archive(archive), m_team(team), m_desk(std::move(desk)) {}

std::optional<TeamPublication> TeamPublisher::readArchived(const CatalogueRecord& record, int folderFd,
                                                           const std::map<std::string, RecordingNote>& notes) {
    TeamPublication item{teamRowOf(record, m_desk), {}, {}};
    const FileDescriptor file = openRegularFileAt(folderFd, record.fileName, O_RDONLY);
    if (!file.valid() || !readAll(file.get(), item.audio)) return std::nullopt;
    // What goes to the team is what was archived, never a copy that changed since.
    Sha256 digest;
    digest.update(item.audio.data(), item.audio.size());
    if (digest.hexDigest() != record.sha256) return std::nullopt;
    if (const auto note = notes.find(record.fileName); note != notes.end()) item.note = note->second;
    return item;
}

bool TeamPublisher::confirm(const std::vector<std::string>& sha256s, PublishReport& report, bool now) {
    m_unconfirmed.insert(m_unconfirmed.end(), sha256s.begin(), sha256s.end());
    // Remembered in steps of many batches: each local commit waits for the disk, and what the server holds
    // but the catalogue does not know yet is only remembered by the next round.
    if (m_unconfirmed.empty() || (!now && m_unconfirmed.size() < kConfirmEvery)) return true;
    report.local = m_archive.published()->markAllConfirmed(m_desk, m_unconfirmed);
    if (report.local != CatalogueStatus::Ok) {
        report.status = TeamStatus::Failed;
        m_unconfirmed.clear();
        return false;
    }
    report.published += m_unconfirmed.size();
    report.unpublished -= m_unconfirmed.size();
    m_unconfirmed.clear();
    return true;
}

bool TeamPublisher::send(std::vector<TeamPublication>& batch, PublishReport& report) {
    const TeamStatus status = m_team.publishBatch(batch);
    if (status == TeamStatus::Failed && batch.size() > 1) {
        // One recording the server will not take must not hold back the others: each goes on its own.
        for (TeamPublication& item : batch) {
            std::vector<TeamPublication> one;
            one.push_back(std::move(item));
            if (!send(one, report)) return false;
        }
        return true;
    }
    // A refusal or a broken connection holds for the rest as well; a failure of one recording does not.
    if (status == TeamStatus::Failed) {
        report.status = TeamStatus::Failed;
        return true;
    }
    if (status != TeamStatus::Ok) {
        report.status = status;
        return false;
    }
    std::vector<std::string> sha256s;
    for (const TeamPublication& item : batch) sha256s.push_back(item.recording.sha256);
    return confirm(sha256s, report, false);
}

PublishReport TeamPublisher::publish(std::stop_token stop) {
    PublishReport report;
    m_unconfirmed.clear();
    publishRound(report, stop);
    // What the server committed is remembered however the round ended.
    confirm({}, report, true);
    return report;
}

void TeamPublisher::publishRound(PublishReport& report, std::stop_token stop) {
    std::vector<CatalogueRecord> records;
    report.local = unpublishedRecords(m_archive, m_desk, records);
    if (report.local != CatalogueStatus::Ok) {
        report.status = TeamStatus::Failed;
        return;
    }
    report.unpublished = records.size();
    if (records.empty()) return;
    // What the server holds already (a round cut off after the server's commit) is only remembered here.
    std::vector<std::string> digests;
    for (const CatalogueRecord& record : records) digests.push_back(record.sha256);
    std::set<std::string> held;
    report.status = m_team.held(m_desk, digests, held);
    if (report.status != TeamStatus::Ok) return;
    std::vector<std::string> heldAlready;
    for (const CatalogueRecord& record : records) {
        if (held.count(record.sha256) != 0) heldAlready.push_back(record.sha256);
    }
    if (!confirm(heldAlready, report, false)) return;
    // The notes in one reading rather than one a recording.
    std::map<std::string, RecordingNote> notes;
    if (m_archive.notes() != nullptr) m_archive.notes()->allNotes(notes);
    const FileDescriptor folder(::open(m_archive.folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<TeamPublication> batch;
    std::size_t batchBytes = 0;
    for (const CatalogueRecord& record : records) {
        if (stop.stop_requested()) return;
        if (held.count(record.sha256) != 0) continue;
        std::optional<TeamPublication> item = readArchived(record, folder.get(), notes);
        if (!item) {
            ++report.unreadable;
            continue;
        }
        batchBytes += item->audio.size();
        batch.push_back(std::move(*item));
        if (batch.size() < kTeamBatchRecordings && batchBytes < kTeamBatchBytes) continue;
        if (!send(batch, report)) return;
        batch.clear();
        batchBytes = 0;
    }
    if (!batch.empty()) send(batch, report);
}

}  // namespace tapelink
