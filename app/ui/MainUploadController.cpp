#include "app/ui/MainUploadController.h"

#include <QProgressBar>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainWindowServices.h"
#include "app/ui/UploadPublishing.h"

namespace tapelink {

namespace {

constexpr int kFileNameColumn = 1;

}  // namespace

MainUploadController::MainUploadController(CTapelinkDlg& window, const MainWindowServices& services)
    : QObject(&window),
      m_window(window),
      m_services(services),
      m_ledgers(*services.catalogueOpener, "上传",
                [locator = &window.locator()](const std::string& root) { return locator->phoneSerial(root); }),
      m_engine(window.listTexts(), *this, window.messages()),
      m_job(m_engine, *this) {
    m_engine.setLedgerSource(&m_ledgers);
    // On a team desk what was uploaded is published on the same worker, after its copies; a failure there
    // never fails the upload.
    if (const UploadPublishing publishing(services); publishing.enabled()) {
        m_engine.setAfterUpload([publishing, catalogues = services.catalogueOpener](
                                    const std::string& folder, std::stop_token stop, IUploadObserver& progress) {
            return publishing.publish(*catalogues, folder, std::move(stop), progress);
        });
    }
    connect(&m_job, &UploadJob::finished, this, &MainUploadController::onJobFinished);
}

MainUploadController::~MainUploadController() = default;

bool MainUploadController::runCommand(int id) {
    const bool upload = id == cmd::kUploadSelected || id == cmd::kPopupUploadSelected || id == cmd::kUploadByCategory ||
                        id == cmd::kPopupUploadByCategory || id == cmd::kUploadAll || id == cmd::kPopupUploadAll;
    // A folder not confirmed yet is asked for first, and the picker refuses one on the telephone.
    if (upload && m_window.uploadFolderConfirmed() && m_window.folderOnPhone(uploadFolder(), true)) return true;
    switch (id) {
        case cmd::kUploadSelected:
        case cmd::kPopupUploadSelected:
            m_engine.UploadSelected(m_window.selectedRows());
            return true;
        case cmd::kUploadByCategory:
        case cmd::kPopupUploadByCategory:
            m_engine.UploadByCategory();
            return true;
        case cmd::kUploadAll:
        case cmd::kPopupUploadAll:
            m_engine.UploadAll();
            return true;
        default:
            return false;
    }
}

void MainUploadController::requestStop() {
    m_engine.RequestStop();
}

void MainUploadController::terminate() {
    m_engine.Terminate();
}

void MainUploadController::onJobFinished() {
    m_window.setProgressAreaShown(false);
    m_window.setUploadRunning(false);
    emit workerEnded();
}

std::string MainUploadController::driveRoot() const {
    return m_window.driveRoot();
}

std::string MainUploadController::uploadFolder() const {
    return m_window.settingsCopy().uploadFolder();
}

bool MainUploadController::uploadFolderConfirmed() const {
    return m_window.uploadFolderConfirmed();
}

bool MainUploadController::pickUploadFolder() {
    return m_window.pickUploadFolder();
}

std::optional<CategoryChoice> MainUploadController::askCategory(CategoryCriteria& criteria) {
    return m_services.askCategory(criteria, &m_window);
}

void MainUploadController::setProgressAreaShown(bool shown) {
    m_window.setProgressAreaShown(shown);
}

bool MainUploadController::workerExists() const {
    return m_job.isRunning();
}

bool MainUploadController::startWorker(const UploadTask& task) {
    if (!m_job.start(task)) return false;
    m_window.setUploadRunning(true);
    return true;
}

void MainUploadController::cancelWorker() {
    m_job.cancel();
}

void MainUploadController::showMessage(const std::string& text, MessageIcon icon) {
    m_window.messages().showMessage(text, icon);
}

std::string MainUploadController::fileNameOfRow(int row) {
    // Read at this moment: the list is emptied when the telephone goes during the upload.
    return m_window.listTexts().cellText(row, kFileNameColumn);
}

void MainUploadController::setStatusText(const std::string& statusText) {
    m_window.setStatusText(statusText);
}

void MainUploadController::setProgressRange(int maximum) {
    m_window.progressBar()->setRange(0, maximum);
}

void MainUploadController::setProgressPosition(int position) {
    m_window.progressBar()->setValue(position);
}

void MainUploadController::setProgressVisible(bool visible) {
    m_window.progressBar()->setVisible(visible);
}

OverwriteDecision MainUploadController::askOverwrite(const std::string& promptText) {
    const OverwriteDecision decision = m_services.askOverwrite(QString::fromStdString(promptText), &m_window);
    // A prompt closed without a button skips the file.
    return decision == OverwriteDecision::Pending ? OverwriteDecision::No : decision;
}

}  // namespace tapelink
