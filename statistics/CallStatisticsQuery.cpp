#include "statistics/CallStatisticsQuery.h"

namespace tapelink {

namespace {

// The figures folded by the request's grouping, numbers named by the phonebook when it can be read.
CallStatistics statisticsOf(const CallFigureRows& rows, IPhonebook* phonebook, const StatisticsRequest& request) {
    std::vector<Contact> contacts;
    if (phonebook == nullptr || phonebook->contacts(contacts) != CatalogueStatus::Ok) contacts.clear();
    return makeCallStatistics(rows, request.grouping, ContactDirectory(contacts));
}

}  // namespace

CatalogueStatus readCallStatistics(IArchiveCatalogue& catalogue, IPhonebook* phonebook,
                                   const StatisticsRequest& request, CallStatistics& out) {
    out = {};
    CallFigureRows rows;
    const CatalogueStatus status = catalogue.callFigures(startBound(request.from), endBound(request.to), rows);
    if (status == CatalogueStatus::Ok) out = statisticsOf(rows, phonebook, request);
    return status;
}

CatalogueStatus readTeamCallStatistics(ITeamCallFigures& team, const std::string& desk, IPhonebook* phonebook,
                                       const StatisticsRequest& request, CallStatistics& out) {
    out = {};
    CallFigureRows rows;
    const CatalogueStatus status = team.callFigures(desk, startBound(request.from), endBound(request.to), rows);
    if (status == CatalogueStatus::Ok) out = statisticsOf(rows, phonebook, request);
    return status;
}

}  // namespace tapelink
