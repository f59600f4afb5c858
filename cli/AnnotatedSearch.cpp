#include "cli/AnnotatedSearch.h"

#include <vector>

#include "search/ArchiveSearch.h"

namespace tapelink::cli {

namespace {

ContactDirectory phonebookOf(CatalogueSession& archive) {
    archive.open(CatalogueAccess::ReadOnly);
    std::vector<Contact> contacts;
    if (archive.isOpen()) archive.phonebook()->contacts(contacts);
    return ContactDirectory(contacts);
}

}  // namespace

AnnotatedSearch::AnnotatedSearch(IArchiveCatalogueOpener& catalogues, const std::string& folder)
    : m_archive(catalogues, folder),
      m_contacts(phonebookOf(m_archive)),
      m_annotations(m_contacts, m_archive.catalogue(), m_archive.notes()) {}

void AnnotatedSearch::run(const SearchCriteria& criteria, ISearchResultList& rows, IMessageSink& messages) {
    ArchiveSearch search(rows, messages);
    search.setAnnotations(&m_annotations);
    search.setSearchFolder(m_archive.folder());
    search.RunSearch(criteria);
}

}  // namespace tapelink::cli
