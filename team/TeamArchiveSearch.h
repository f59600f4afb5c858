#pragma once

#include <functional>
#include <memory>

#include "search/ITeamSearch.h"
#include "team/ITeamArchive.h"
#include "team/TeamRecording.h"

namespace tapelink {

// The search dialog's team search over a team archive: each search opens its own connection, so that a
// search on a worker shares nothing with the window's thread.
class TeamArchiveSearch : public ITeamSearch {
public:
    using Opener = std::function<std::unique_ptr<ITeamArchive>()>;
    explicit TeamArchiveSearch(Opener open) : m_open(std::move(open)) {}

    TeamSearchOutcome search(const SearchCriteria& criteria, std::vector<SearchResultRow>& rows) override;

private:
    Opener m_open;
};

// The result row of a team recording at the 0-based position, with its desk; the path column names the
// desk and the file, as nothing of it is on this disk.
SearchResultRow teamResultRow(const TeamRecording& recording, int position);

}  // namespace tapelink
