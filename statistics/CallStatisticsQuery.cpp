#include "statistics/CallStatisticsQuery.h"

namespace tapelink {

CatalogueStatus readCallStatistics(IArchiveCatalogue& catalogue, IPhonebook* phonebook,
                                   const StatisticsRequest& request, CallStatistics& out) {
    out = {};
    CallFigureRows rows;
    const CatalogueStatus status = catalogue.callFigures(startBound(request.from), endBound(request.to), rows);
    if (status != CatalogueStatus::Ok) return status;
    std::vector<Contact> contacts;
    if (phonebook == nullptr || phonebook->contacts(contacts) != CatalogueStatus::Ok) contacts.clear();
    out = makeCallStatistics(rows, request.grouping, ContactDirectory(contacts));
    return status;
}

}  // namespace tapelink
