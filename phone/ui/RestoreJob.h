#pragma once

#include <QObject>
#include <string>
#include <thread>

#include "common/IMessageSink.h"
#include "phone/PhoneIndexHeader.h"
#include "phone/RecycleBin.h"
#include "phone/RowTable.h"
#include "phone/TransferJob.h"
#include "phone/ui/WorkerMailbox.h"

namespace tapelink {

// Runs RecycleBin::RestoreWorker on a thread of its own and carries its reports to the GUI thread, where
// they are emitted as signals in the worker's order. The worker's messages are shown through the given sink on the
// GUI thread while the worker waits for them to be dismissed. The job reads a copy of the list's texts,
// so no widget is touched from the worker. Lives on the GUI thread.
class RestoreJob : public QObject {
    Q_OBJECT
public:
    RestoreJob(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages, TransferJob job, RowTable rows,
               QObject* parent = nullptr);
    // Stops the worker after the row in progress, lets go of a message it waits on, and waits for it.
    ~RestoreJob() override;

    // False when the thread can't be started.
    bool start();
    // The worker finishes the row in progress, then ends its job (the header is still saved).
    void requestStop();
    const std::string& driveRoot() const { return m_driveRoot; }

signals:
    void progressStarted(int count);
    void progressAdvanced(int done);
    void savePhoneIndexRequested();
    void progressEnded();
    void listRefreshRequested();
    void phoneRescanRequested();
    // The worker's body has returned; the job can be deleted.
    void finished();

private:
    class Bridge;
    void showFromWorker(const std::string& text, MessageIcon icon);

    std::string m_driveRoot;
    PhoneIndexHeader& m_header;
    IMessageSink& m_messages;
    TransferJob m_job;
    RowTable m_rows;
    WorkerMailbox* m_mailbox;  // child of the job
    std::jthread m_thread;
};

}  // namespace tapelink
