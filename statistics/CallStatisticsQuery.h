#pragma once

#include "catalogue/IArchiveCatalogue.h"
#include "search/SearchCriteria.h"
#include "statistics/CallStatistics.h"
#include "statistics/ITeamCallFigures.h"

namespace tapelink {

// What statistics are asked for: the calls that started from the first day to the last (both whole
// days), grouped by day, week or month.
struct StatisticsRequest {
    SearchDateTime from{2010, 3, 1, 0, 0, 0};
    SearchDateTime to;
    StatisticsGrouping grouping = StatisticsGrouping::Day;
};

// The statistics of an archive, from its catalogue alone (no recording is read). The phonebook may be
// null; a phonebook that cannot be read leaves the names empty. The status is the catalogue's.
CatalogueStatus readCallStatistics(IArchiveCatalogue& catalogue, IPhonebook* phonebook,
                                   const StatisticsRequest& request, CallStatistics& out);
// The same over a team archive's desks (all the person may hear, or the one named), numbers named by the
// desk's phonebook. The status is the server's.
CatalogueStatus readTeamCallStatistics(ITeamCallFigures& team, const std::string& desk, IPhonebook* phonebook,
                                       const StatisticsRequest& request, CallStatistics& out);

}  // namespace tapelink
