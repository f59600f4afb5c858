#pragma once

#include <string>

#include "catalogue/CatalogueSession.h"
#include "contacts/ContactDirectory.h"
#include "search/RecordingAnnotations.h"
#include "search/SearchCriteria.h"

namespace tapelink {
class IMessageSink;
class ISearchResultList;
}  // namespace tapelink

namespace tapelink::cli {

// A search of one archive folder with the names, notes and marks of its catalogue joined to the rows. The
// catalogue is only read: a folder without one is searched by number, as before there was one.
class AnnotatedSearch {
public:
    AnnotatedSearch(IArchiveCatalogueOpener& catalogues, const std::string& folder);

    void run(const SearchCriteria& criteria, ISearchResultList& rows, IMessageSink& messages);
    IArchiveCatalogue* catalogue() const { return m_archive.catalogue(); }
    RecordingAnnotations& annotations() { return m_annotations; }

private:
    CatalogueSession m_archive;
    ContactDirectory m_contacts;
    RecordingAnnotations m_annotations;
};

}  // namespace tapelink::cli
