#include "catalogue/CatalogueLedgerSource.h"

#include <unistd.h>

#include <optional>

#include "archive/ReplacedFileKeeper.h"
#include "catalogue/CatalogueLedger.h"
#include "catalogue/CatalogueSession.h"

namespace tapelink {

namespace {

// The ledger with what it needs kept alive for the job: the lock first, released last.
class JobLedger : public IUploadLedger {
public:
    JobLedger(IArchiveCatalogueOpener& catalogues, const std::string& folder)
        : m_lock(catalogues.writeLock(folder)), m_session(catalogues, folder), m_keeper(folder) {}

    const IArchiveWriteLock& lock() const { return *m_lock; }
    // Without a catalogue the job still runs, keeping replaced files aside all the same.
    void open(const std::string& command, const std::string& phoneSerial, std::stop_token stop) {
        // Rows for files put there by hand, so that replacing one keeps its row too.
        if (m_session.openReconciled(std::move(stop)) != CatalogueStatus::Ok) return;
        if (!m_session.catalogue()->writable()) return;
        m_ledger.emplace(*m_session.catalogue(), m_session.folder(), command, phoneSerial);
    }
    ReplaceVerdict beforeReplace(const std::string& fileName, const std::string& sha256) override {
        return m_ledger ? m_ledger->beforeReplace(fileName, sha256) : m_keeper.beforeReplace(fileName, sha256);
    }
    void recordCopies(const std::vector<PlacedCopy>& copies) override {
        if (m_ledger) m_ledger->recordCopies(copies);
    }

private:
    std::unique_ptr<IArchiveWriteLock> m_lock;
    CatalogueSession m_session;
    ReplacedFileKeeper m_keeper;
    std::optional<CatalogueLedger> m_ledger;
};

}  // namespace

CatalogueLedgerSource::CatalogueLedgerSource(IArchiveCatalogueOpener& catalogues, std::string command,
                                             PhoneSerialLookup serialOf)
    : m_catalogues(catalogues), m_command(std::move(command)), m_serialOf(std::move(serialOf)) {}

LedgerOpening CatalogueLedgerSource::openLedger(const std::string& driveRoot, const std::string& uploadFolder,
                                                std::stop_token stop) {
    LedgerOpening opening;
    // A missing folder is the upload's own failure to tell; the lock would make its .tapelink/ alone.
    if (uploadFolder.empty() || ::access(uploadFolder.c_str(), F_OK) != 0) {
        opening.ledger = std::make_unique<ReplacedFileKeeper>(uploadFolder);
        return opening;
    }
    auto ledger = std::make_unique<JobLedger>(m_catalogues, uploadFolder);
    if (!ledger->lock().held()) {
        opening.refusal = ledger->lock().failure();
        return opening;
    }
    const std::string serial = m_serialOf ? m_serialOf(driveRoot) : std::string();
    ledger->open(m_command, serial, std::move(stop));
    opening.ledger = std::move(ledger);
    return opening;
}

}  // namespace tapelink
