#pragma once

#include <string>

#include "search/SearchCriteria.h"

namespace tapelink {

// The archive search's criteria, and the desk the results must come from (empty: every desk the person
// may hear). The number matches the number only: the team's names are not joined here.
struct TeamSearchCriteria {
    SearchCriteria criteria;
    std::string desk;
    std::size_t limit = 10000;  // at most this many rows, newest first
};

}  // namespace tapelink
