#include "team/TeamArchiveSearch.h"

namespace tapelink {

namespace {

TeamSearchOutcome outcomeOf(TeamStatus status) {
    switch (status) {
        case TeamStatus::Ok:
            return TeamSearchOutcome::Ok;
        case TeamStatus::Refused:
            return TeamSearchOutcome::Refused;
        case TeamStatus::ConnectionLost:
            return TeamSearchOutcome::Unreachable;
        case TeamStatus::Failed:
            break;
    }
    return TeamSearchOutcome::Failed;
}

}  // namespace

SearchResultRow teamResultRow(const TeamRecording& recording, int position) {
    RecordingEntry entry;
    entry.size = recording.size;
    entry.fileName = recording.name;
    entry.direction = recording.direction;
    entry.startKey = recording.startKey;
    entry.folder = recording.desk + "/";
    SearchResultRow row = searchResultRow(entry, position);
    row[kSearchNumberColumn] = recording.number;  // the server's text is UTF-8 already
    row.desk = recording.desk;
    row.sha256 = recording.sha256;
    return row;
}

TeamSearchOutcome TeamArchiveSearch::search(const SearchCriteria& criteria, std::vector<SearchResultRow>& rows) {
    rows.clear();
    const std::unique_ptr<ITeamArchive> archive = m_open ? m_open() : nullptr;
    if (!archive) return TeamSearchOutcome::Unreachable;
    TeamSearchCriteria teamCriteria;
    teamCriteria.criteria = criteria;
    std::vector<TeamRecording> found;
    const TeamStatus status = archive->search(teamCriteria, found);
    if (status != TeamStatus::Ok) return outcomeOf(status);
    rows.reserve(found.size());
    for (const TeamRecording& recording : found) {
        rows.push_back(teamResultRow(recording, static_cast<int>(rows.size())));
    }
    return TeamSearchOutcome::Ok;
}

}  // namespace tapelink
