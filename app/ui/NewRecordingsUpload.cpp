#include "app/ui/NewRecordingsUpload.h"

#include <QAction>
#include <QProgressBar>
#include <memory>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "app/ui/CommandIds.h"
#include "app/ui/PhoneListModel.h"
#include "app/ui/UploadPublishing.h"
#include "catalogue/CatalogueSession.h"
#include "catalogue/NewRecordingOffload.h"
#include "common/EitherStop.h"
#include "phone/DeviceStatus.h"
#include "phone/ui/WorkerMailbox.h"
#include "settings/ArchivePreferenceFile.h"

namespace tapelink {

namespace {

constexpr const char* kTransferDone = "传输完毕！";

// What an upload found, beside how its catalogue opened.
struct UploadOutcome {
    OffloadReport offload;
    std::string unpublished;  // what the upload left unpublished on the team archive, in the window's words
};

// The upload's progress in the window, posted from the worker; its messages are kept for the end.
class WindowProgress : public IUploadObserver {
public:
    WindowProgress(WorkerMailbox& mailbox, IArchiveWindow& window, ArchiveWorkResult& result)
        : m_mailbox(mailbox), m_window(&window), m_result(result) {}
    std::string fileNameOfRow(int) override { return {}; }
    void setStatusText(const std::string& statusText) override {
        post([statusText](IArchiveWindow& window) { window.setStatusText(statusText); });
    }
    void setProgressRange(int maximum) override {
        post([maximum](IArchiveWindow& window) { window.progressBar()->setRange(0, maximum); });
    }
    void setProgressPosition(int position) override {
        post([position](IArchiveWindow& window) { window.progressBar()->setValue(position); });
    }
    void setProgressVisible(bool) override {}
    void showMessage(const std::string& text, MessageIcon) override { m_result.messages.push_back(text); }
    OverwriteDecision askOverwrite(const std::string&) override { return OverwriteDecision::No; }

private:
    template <typename F>
    void post(F fn) {
        IArchiveWindow* window = m_window;
        m_mailbox.post([window, fn] { fn(*window); });
    }

    WorkerMailbox& m_mailbox;
    IArchiveWindow* m_window;
    ArchiveWorkResult& m_result;
};

}  // namespace

NewRecordingsUpload::NewRecordingsUpload(const ArchiveCommandContext& context) : m_context(context) {
    if (QAction* item = m_context.window.action(cmd::kUploadNewOnArrival))
        item->setChecked(m_context.preferences.values().uploadNewOnArrival);
}

void NewRecordingsUpload::onArrivalChoiceChanged(int id) {
    if (QAction* item = m_context.window.action(id))
        m_context.preferences.edit().uploadNewOnArrival = item->isChecked();
    m_context.preferences.save();
}

void NewRecordingsUpload::phoneArrived() {
    if (m_context.preferences.values().uploadNewOnArrival && !m_context.archiveFolder().empty()) run(true);
}

void NewRecordingsUpload::run(bool automatic) {
    IArchiveWindow& window = m_context.window;
    if (window.uploadRunning()) return;
    if (window.driveRoot().empty()) {
        if (!automatic) window.messages().showMessage(kDeviceNotReady, MessageIcon::Warning);
        return;
    }
    if (!automatic && !window.uploadFolderConfirmed() && !window.pickUploadFolder()) return;
    const std::string folder = m_context.archiveFolder();
    if (folder.empty() || window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    const std::string root = window.driveRoot();
    const std::string serial = window.locator().phoneSerial(root);
    const std::vector<RecordingEntry> entries = window.phoneList().entries();
    IArchiveWindow* shown = &window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    const std::atomic<bool>* stopRequest = &m_context.worker.stopRequest();
    const UploadPublishing publishing(m_context.services);
    const std::stop_source* stopPressed = &m_context.worker.stopPressed();
    auto outcome = std::make_shared<UploadOutcome>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
            if (!lock->held()) {
                // Nothing is added to an archive another program may be writing; the user learns why.
                result.messages.push_back(lock->failure());
                return;
            }
            if (!openReconciled(session, stop, result)) return;
            WindowProgress progress(*mailbox, *shown, result);
            NewRecordingOffload offload(*session.catalogue(), folder, {"上传新录音", serial});
            outcome->offload = offload.run(root, entries, stop, *stopRequest, progress);
            // Publishing only reads the archive (and notes what the server took): other programs may write
            // meanwhile.
            lock.reset();
            if (!outcome->offload.terminated && !stop.stop_requested()) {
                const EitherStop either(stop, stopPressed->get_token());
                outcome->unpublished = publishing.publish(session, either.token(), progress);
            }
        },
        [this, outcome, automatic](const ArchiveWorkResult& result) {
            showResult(result, outcome->offload, outcome->unpublished, automatic);
        });
}

void NewRecordingsUpload::showResult(const ArchiveWorkResult& result, const OffloadReport& report,
                                     const std::string& unpublished, bool automatic) {
    IMessageSink& messages = m_context.window.messages();
    for (const std::string& text : result.messages) messages.showMessage(text, MessageIcon::Warning);
    if (!result.opened || report.terminated) return;
    m_context.window.setStatusText(std::string(report.sourceGone ? kStatusDisconnected : kStatusConnected) +
                                   "，已存档 " + std::to_string(report.archived) + " 条新录音");
    // What stays unpublished is a line after the summary, and is told after an automatic upload too.
    if (!automatic && result.messages.empty()) {
        messages.showMessage(
            unpublished.empty() ? std::string(kTransferDone) : std::string(kTransferDone) + "\n" + unpublished,
            unpublished.empty() ? MessageIcon::Information : MessageIcon::Warning);
    } else if (!unpublished.empty()) {
        messages.showMessage(unpublished, MessageIcon::Warning);
    }
}

}  // namespace tapelink
