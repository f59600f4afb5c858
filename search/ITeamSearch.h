#pragma once

#include <vector>

#include "search/SearchCriteria.h"
#include "search/SearchResultRow.h"

namespace tapelink {

// How a search of the team archive went: refused by the server's rules, the server out of reach, or failed.
enum class TeamSearchOutcome { Ok, Refused, Unreachable, Failed };

// The search dialog's way to the team archive's search: rows of the recordings the person may hear, each
// with its desk. Called on a worker thread, one call at a time.
class ITeamSearch {
public:
    virtual ~ITeamSearch() = default;
    virtual TeamSearchOutcome search(const SearchCriteria& criteria, std::vector<SearchResultRow>& rows) = 0;
};

}  // namespace tapelink
