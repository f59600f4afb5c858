#include "team/TeamRecordingNotes.h"

namespace tapelink {

namespace {

CatalogueStatus catalogueStatusOf(TeamStatus status) {
    switch (status) {
        case TeamStatus::Ok:
            return CatalogueStatus::Ok;
        case TeamStatus::Refused:
            return CatalogueStatus::ReadOnly;
        case TeamStatus::ConnectionLost:
            return CatalogueStatus::ConnectionLost;
        case TeamStatus::Failed:
            break;
    }
    return CatalogueStatus::Failed;
}

}  // namespace

CatalogueStatus TeamRecordingNotes::noteOf(const std::string&, RecordingNote& out) {
    m_last = {};
    const TeamStatus status = m_archive.noteOf(m_desk, m_sha256, m_last);
    out = m_last.note;
    return catalogueStatusOf(status);
}

CatalogueStatus TeamRecordingNotes::setNote(const std::string&, const RecordingNote& note) {
    return catalogueStatusOf(m_archive.setNote(m_desk, m_sha256, note));
}

CatalogueStatus TeamRecordingNotes::allNotes(std::map<std::string, RecordingNote>& out) {
    out.clear();
    return CatalogueStatus::Failed;
}

CatalogueStatus TeamRecordingNotes::filesWithText(const std::string&, std::set<std::string>& out) {
    out.clear();
    return CatalogueStatus::Failed;
}

}  // namespace tapelink
