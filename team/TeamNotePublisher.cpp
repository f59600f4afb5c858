#include "team/TeamNotePublisher.h"

#include <map>
#include <set>
#include <vector>

#include "common/Sha256.h"

namespace tapelink {

namespace {

void addPiece(Sha256& digest, const std::string& piece) {
    // Each piece with its length, so that no two notes run together into the same bytes.
    const std::string length = std::to_string(piece.size()) + ':';
    digest.update(length.data(), length.size());
    digest.update(piece.data(), piece.size());
}

}  // namespace

std::string noteDigest(const RecordingNote& note) {
    Sha256 digest;
    addPiece(digest, note.text);
    for (const std::string& tag : note.tags) addPiece(digest, tag);
    return digest.hexDigest();
}

TeamNotePublisher::TeamNotePublisher(CatalogueSession& archive, ITeamArchive& team, std::string desk)
    : m_archive(archive), m_team(team), m_desk(std::move(desk)) {}

TeamStatus TeamNotePublisher::sendOne(const std::string& sha256, const RecordingNote& note, bool known, bool& wrote) {
    wrote = false;
    if (!known) {
        // Sent with the recording, most likely: the server's copy is asked for before anything is written,
        // so that a note edited at another desk since is not overwritten with the same old words.
        TeamNote held;
        const TeamStatus read = m_team.noteOf(m_desk, sha256, held);
        if (read != TeamStatus::Ok) return read;
        if (held.note == note) return TeamStatus::Ok;
    }
    const TeamStatus status = m_team.setNote(m_desk, sha256, note);
    wrote = status == TeamStatus::Ok;
    return status;
}

CatalogueStatus changedNotes(const CatalogueSession& archive, const std::string& desk, std::vector<ChangedNote>& out) {
    out.clear();
    IArchiveCatalogue* catalogue = archive.catalogue();
    ITeamPublishLedger* ledger = archive.published();
    IRecordingNotes* notes = archive.notes();
    if (catalogue == nullptr || ledger == nullptr || notes == nullptr) return CatalogueStatus::Failed;
    std::set<std::string> confirmed;
    std::map<std::string, std::string> sent;
    std::map<std::string, RecordingNote> noted;
    std::vector<CatalogueRecord> records;
    CatalogueStatus status = ledger->confirmedDigests(desk, confirmed);
    if (status == CatalogueStatus::Ok) status = ledger->sentNotes(desk, sent);
    if (status == CatalogueStatus::Ok) status = notes->allNotes(noted);
    if (status == CatalogueStatus::Ok) status = catalogue->liveRecords(records);
    if (status != CatalogueStatus::Ok) return status;
    std::set<std::string> seen;
    for (const CatalogueRecord& record : records) {
        if (record.state != RecordState::Present || confirmed.count(record.sha256) == 0) continue;
        if (!seen.insert(record.sha256).second) continue;
        ChangedNote changed{record.sha256, record.fileName, {}, {}, false};
        if (const auto found = noted.find(record.fileName); found != noted.end()) changed.note = found->second;
        changed.digest = noteDigest(changed.note);
        const auto before = sent.find(record.sha256);
        changed.known = before != sent.end();
        if (changed.known && before->second == changed.digest) continue;
        // Never noted here since it was confirmed: nothing of this desk's to send, and nothing written, so a
        // round after a large upload costs no write per recording. Its first note is compared like any other.
        if (!changed.known && changed.note.empty()) continue;
        out.push_back(std::move(changed));
    }
    return CatalogueStatus::Ok;
}

void TeamNotePublisher::publish(PublishReport& report, std::stop_token stop) {
    std::vector<ChangedNote> changed;
    const CatalogueStatus local = changedNotes(m_archive, m_desk, changed);
    if (local != CatalogueStatus::Ok) {
        report.local = local;
        if (report.status == TeamStatus::Ok) report.status = TeamStatus::Failed;
        return;
    }
    ITeamPublishLedger& ledger = *m_archive.published();
    for (const ChangedNote& note : changed) {
        if (stop.stop_requested() || report.status == TeamStatus::ConnectionLost) {
            ++report.notesUnsent;
            continue;
        }
        bool wrote = false;
        const TeamStatus status = sendOne(note.sha256, note.note, note.known, wrote);
        if (status == TeamStatus::Refused) {
            ++report.notesRefused;
            if (report.status == TeamStatus::Ok) report.status = TeamStatus::Refused;
            continue;
        }
        if (status != TeamStatus::Ok) {
            ++report.notesUnsent;
            if (status == TeamStatus::ConnectionLost || report.status == TeamStatus::Ok) report.status = status;
            continue;
        }
        const CatalogueStatus marked = ledger.markNoteSent(m_desk, note.sha256, note.digest);
        if (marked != CatalogueStatus::Ok) {
            report.local = marked;
            report.status = TeamStatus::Failed;
            ++report.notesUnsent;
            return;
        }
        if (wrote) ++report.notesSent;
    }
}

}  // namespace tapelink
