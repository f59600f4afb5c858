#include "catalogue/CatalogueSession.h"

namespace tapelink {

CatalogueSession::CatalogueSession(IArchiveCatalogueOpener& opener, std::string archiveFolder)
    : m_opener(opener), m_folder(std::move(archiveFolder)) {}

CatalogueStatus CatalogueSession::open(CatalogueAccess access) {
    m_opening = m_opener.open(m_folder, access);
    m_status = m_opening.status;
    m_reconciled = {};
    return m_status;
}

CatalogueStatus CatalogueSession::openReconciled(std::stop_token stop, const HashProgress& progress) {
    open(CatalogueAccess::ReadWrite);
    return reconcile(std::move(stop), progress);
}

CatalogueStatus CatalogueSession::reconcile(std::stop_token stop, const HashProgress& progress) {
    if (!isOpen()) return m_status;
    m_reconciled = reconcileCatalogue(*m_opening.catalogue, m_folder, std::move(stop), progress);
    // A read-only catalogue stays ReadOnly: it was compared, not written.
    if (m_reconciled.status != CatalogueStatus::Ok) m_status = m_reconciled.status;
    return m_status;
}

}  // namespace tapelink
