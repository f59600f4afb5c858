#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/CatalogueLedgerSource.h"
#include "phone/IUploadHost.h"
#include "phone/IUploadObserver.h"
#include "phone/UploadEngine.h"
#include "phone/ui/UploadJob.h"

namespace tapelink {

class CTapelinkDlg;
struct MainWindowServices;

// The main window's uploads: the six upload commands, the Stop button, and the worker's reports shown in
// the window (caption, progress bar 1052, message boxes, the overwrite prompt). The window refuses its
// commands from the start of a worker until the worker has ended, after its last message.
class MainUploadController : public QObject, private IUploadHost, private IUploadObserver {
    Q_OBJECT
public:
    MainUploadController(CTapelinkDlg& window, const MainWindowServices& services);
    ~MainUploadController() override;

    // Runs an upload command (32790-32792, 32795-32797); false for any other id.
    bool runCommand(int id);
    // The Stop button.
    void requestStop();
    // The window is closing: the worker stops at its next block, shows nothing more, and workerEnded
    // follows once it has ended.
    void terminate();
    bool isRunning() const { return m_job.isRunning(); }
    const UploadEngine& engine() const { return m_engine; }

signals:
    void workerEnded();

private:
    void onJobFinished();

    // IUploadHost
    std::string driveRoot() const override;
    std::string uploadFolder() const override;
    bool uploadFolderConfirmed() const override;
    bool pickUploadFolder() override;
    std::optional<CategoryChoice> askCategory(CategoryCriteria& criteria) override;
    void setProgressAreaShown(bool shown) override;
    bool workerExists() const override;
    bool startWorker(const UploadTask& task) override;
    void cancelWorker() override;

    // IUploadObserver, called on the window's thread through the job.
    void showMessage(const std::string& text, MessageIcon icon) override;
    std::string fileNameOfRow(int row) override;
    void setStatusText(const std::string& statusText) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    OverwriteDecision askOverwrite(const std::string& promptText) override;

    CTapelinkDlg& m_window;
    const MainWindowServices& m_services;
    // Every upload records its copies in the upload folder's catalogue.
    CatalogueLedgerSource m_ledgers;
    // Declared before the job, which joins its worker when it goes.
    UploadEngine m_engine;
    UploadJob m_job;
};

}  // namespace tapelink
