#pragma once

#include <memory>
#include <stop_token>
#include <string>

#include "catalogue/CatalogueReconciler.h"
#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

// One archive folder's catalogue for one piece of work, opened through the program's one opener: the
// catalogue, the phonebook and the notes handed out separately, an unreadable catalogue that was set
// aside remembered for the caller to tell, and, where asked, the catalogue brought in line with the
// folder first. Every failure is kept in status().
class CatalogueSession {
public:
    CatalogueSession(IArchiveCatalogueOpener& opener, std::string archiveFolder);

    // The catalogue as it stands. ReadOnly never creates one; no catalogue yet is no failure.
    CatalogueStatus open(CatalogueAccess access);
    // For writing where the folder allows it (else read-only), then reconciled with the folder. A
    // catalogue that could not be reconciled stays open; status() tells.
    CatalogueStatus openReconciled(std::stop_token stop = {}, const HashProgress& progress = {});
    // Brings the open catalogue in line with the folder (for a caller that tells of the opening first).
    CatalogueStatus reconcile(std::stop_token stop = {}, const HashProgress& progress = {});
    // Waits for the archive's write lock, as the opener keeps it.
    std::unique_ptr<IArchiveWriteLock> writeLock() const { return m_opener.writeLock(m_folder); }

    bool isOpen() const { return m_opening.catalogue != nullptr; }
    IArchiveCatalogue* catalogue() const { return m_opening.catalogue.get(); }
    IPhonebook* phonebook() const { return m_opening.phonebook.get(); }
    IRecordingNotes* notes() const { return m_opening.notes.get(); }
    ITeamPublishLedger* published() const { return m_opening.published.get(); }
    // The same stores, for holders that outlive the session.
    const std::shared_ptr<IArchiveCatalogue>& sharedCatalogue() const { return m_opening.catalogue; }
    const std::shared_ptr<IPhonebook>& sharedPhonebook() const { return m_opening.phonebook; }
    const std::shared_ptr<IRecordingNotes>& sharedNotes() const { return m_opening.notes; }

    // Of the opening, then of the reconciliation.
    CatalogueStatus status() const { return m_status; }
    // Where an unreadable catalogue was moved before a new one was made; empty when none was.
    const std::string& setAsidePath() const { return m_opening.setAsidePath; }
    const ReconcileReport& reconciled() const { return m_reconciled; }
    const std::string& folder() const { return m_folder; }

private:
    IArchiveCatalogueOpener& m_opener;
    std::string m_folder;
    CatalogueOpening m_opening;
    CatalogueStatus m_status = CatalogueStatus::Ok;
    ReconcileReport m_reconciled;
};

}  // namespace tapelink
