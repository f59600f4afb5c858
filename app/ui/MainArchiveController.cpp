#include "app/ui/MainArchiveController.h"

#include "app/ui/ArchiveCommandContext.h"
#include "app/ui/ArchiveCompactCommand.h"
#include "app/ui/ArchiveVerifyCommand.h"
#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "app/ui/CommandIds.h"
#include "app/ui/IArchiveWindow.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/NewRecordingsUpload.h"
#include "app/ui/PhoneClearingCommand.h"
#include "app/ui/PhoneListMarks.h"
#include "app/ui/RetentionCommands.h"
#include "catalogue/CatalogueSession.h"

namespace tapelink {

MainArchiveController::MainArchiveController(IArchiveWindow& window, const MainWindowServices& services,
                                             std::string preferencesPath, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_services(services),
      m_preferences(std::move(preferencesPath)),
      m_worker(new ArchiveWorker(window, this)),
      m_marks(std::make_unique<PhoneListMarks>(window, services.catalogueOpener)) {
    const ArchiveCommandContext context{m_window, m_services, *m_worker, m_preferences};
    m_upload = std::make_unique<NewRecordingsUpload>(context);
    m_verify = std::make_unique<ArchiveVerifyCommand>(context);
    m_compact = std::make_unique<ArchiveCompactCommand>(context);
    m_retention = std::make_unique<RetentionCommands>(context);
    m_clearing = std::make_unique<PhoneClearingCommand>(context);
    connect(m_worker, &ArchiveWorker::ended, this, &MainArchiveController::workerEnded);
    connect(m_worker, &ArchiveWorker::settled, this, &MainArchiveController::onSettled);
}

MainArchiveController::~MainArchiveController() {
    // Joined while the commands its results go back to are still whole.
    m_worker->shutdown();
}

bool MainArchiveController::isRunning() const {
    return m_worker->isRunning();
}

bool MainArchiveController::isBusy() const {
    return m_worker->isBusy();
}

void MainArchiveController::requestStop() {
    m_worker->requestStop();
}

void MainArchiveController::terminate() {
    m_worker->terminate();
}

std::shared_ptr<const ContactDirectory> MainArchiveController::contactDirectory() const {
    return m_marks->directory();
}

IArchiveCatalogueOpener& MainArchiveController::catalogueOpener() const {
    return *m_services.catalogueOpener;
}

std::string MainArchiveController::archiveFolder() const {
    return m_window.settingsCopy().uploadFolder();
}

bool MainArchiveController::runCommand(int id) {
    switch (id) {
        case cmd::kUploadNew:
            m_upload->run(false);
            return true;
        case cmd::kUploadNewOnArrival:
            m_upload->onArrivalChoiceChanged(id);
            return true;
        case cmd::kVerifyArchive:
            m_verify->run();
            return true;
        case cmd::kDeleteArchived:
            m_clearing->run();
            return true;
        case cmd::kCompactArchive:
            m_compact->run();
            return true;
        case cmd::kExpireArchive:
            m_retention->previewExpiry();
            return true;
        case cmd::kExpiredRecordings:
            m_retention->listExpired();
            return true;
        default:
            return false;
    }
}

void MainArchiveController::phoneArrived() {
    m_upload->phoneArrived();
}

void MainArchiveController::setKeepArchiveDays(std::optional<int> days) {
    if (m_preferences.values().keepArchiveDays == days) return;
    m_preferences.edit().keepArchiveDays = days;
    m_preferences.save();
}

void MainArchiveController::listChanged() {
    refreshMarks();
    reconcile();
}

void MainArchiveController::refreshMarks() {
    m_marks->refresh();
    emit marksRefreshed();
}

void MainArchiveController::reconcile() {
    const std::string folder = archiveFolder();
    // A folder on the telephone gets no catalogue there; the commands say why when they are chosen.
    if (folder.empty() || m_window.folderOnPhone(folder, false)) return;
    if (m_worker->isRunning()) return;  // the command reconciles first anyway
    if (m_worker->isBusy()) {
        m_reconcileAgain = true;
        return;
    }
    IArchiveCatalogueOpener* catalogues = &catalogueOpener();
    auto directory = std::make_shared<std::shared_ptr<const ContactDirectory>>();
    m_worker->start(
        false,
        [catalogues, folder, directory](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            if (!openReconciled(session, stop, result)) return;
            std::vector<Contact> contacts;
            if (session.phonebook()->contacts(contacts) == CatalogueStatus::Ok)
                *directory = std::make_shared<const ContactDirectory>(contacts);
        },
        [this, directory](const ArchiveWorkResult&) {
            if (*directory) m_marks->setDirectory(*directory);
        });
}

void MainArchiveController::contactsChanged() {
    if (m_worker->isRunning()) {
        m_contactsChanged = true;
        return;
    }
    reconcile();
}

void MainArchiveController::onSettled(bool command) {
    if (command && m_contactsChanged) {
        m_contactsChanged = false;
        reconcile();
        return;
    }
    if (command || m_reconcileAgain) {
        m_reconcileAgain = false;
        if (!command) {
            reconcile();
            return;
        }
    }
    refreshMarks();
}

}  // namespace tapelink
