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

void TeamNotePublisher::publish(PublishReport& report, std::stop_token stop) {
    IArchiveCatalogue* catalogue = m_archive.catalogue();
    ITeamPublishLedger* ledger = m_archive.published();
    IRecordingNotes* notes = m_archive.notes();
    if (catalogue == nullptr || ledger == nullptr || notes == nullptr) return;
    std::set<std::string> confirmed;
    std::map<std::string, std::string> sent;
    std::map<std::string, RecordingNote> noted;
    std::vector<CatalogueRecord> records;
    CatalogueStatus local = ledger->confirmedDigests(m_desk, confirmed);
    if (local == CatalogueStatus::Ok) local = ledger->sentNotes(m_desk, sent);
    if (local == CatalogueStatus::Ok) local = notes->allNotes(noted);
    if (local == CatalogueStatus::Ok) local = catalogue->liveRecords(records);
    if (local != CatalogueStatus::Ok) {
        report.local = local;
        if (report.status == TeamStatus::Ok) report.status = TeamStatus::Failed;
        return;
    }
    // The note of the first present copy of each content: the one its recording was published with.
    std::set<std::string> seen;
    for (const CatalogueRecord& record : records) {
        if (record.state != RecordState::Present || confirmed.count(record.sha256) == 0) continue;
        if (!seen.insert(record.sha256).second) continue;
        const auto found = noted.find(record.fileName);
        const RecordingNote note = found == noted.end() ? RecordingNote{} : found->second;
        const std::string digest = noteDigest(note);
        const auto before = sent.find(record.sha256);
        const bool known = before != sent.end();
        if (known && before->second == digest) continue;
        // Never noted here since it was confirmed: nothing of this desk's to send, and nothing written, so a
        // round after a large upload costs no write per recording. Its first note is compared like any other.
        if (!known && note.empty()) continue;
        if (stop.stop_requested() || report.status == TeamStatus::ConnectionLost) {
            ++report.notesUnsent;
            continue;
        }
        bool wrote = false;
        const TeamStatus status = sendOne(record.sha256, note, known, wrote);
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
        const CatalogueStatus marked = ledger->markNoteSent(m_desk, record.sha256, digest);
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
