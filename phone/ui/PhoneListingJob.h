#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/IMessageSink.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneIndexHeader.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

class WorkerMailbox;

// One reading of the telephone's catalogue, as a worker made it: the rows, the index header as read, and
// the messages the scan gave, to be shown once the rows are in place.
struct PhoneListing {
    std::string driveRoot;
    PhoneIndexHeader header;
    ScanResult result;
    std::vector<RecordingEntry> entries;
    std::vector<std::pair<std::string, MessageIcon>> messages;
};

// Reads the telephone's catalogue on a worker thread and hands the listing to the GUI thread, where
// `listed` is emitted. One scan runs at a time, since a scan may write to the telephone (the index's
// cleared fields, legacy names). Only the newest request is delivered: a listing asked for while one
// runs waits for it and replaces it, and cancel() drops both. Lives on the GUI thread; touches no widget.
class PhoneListingJob : public QObject {
    Q_OBJECT
public:
    using Scan = std::function<ScanResult(const std::string& driveRoot, PhoneIndexHeader& header, ICatalogueView& view,
                                          IMessageSink& messages)>;

    explicit PhoneListingJob(Scan scan, QObject* parent = nullptr);
    // Waits for a scan in progress (a scan can't be interrupted), delivering nothing more.
    ~PhoneListingJob() override;

    // Lists the telephone at driveRoot, the scan starting from header (the header as known now). A
    // listing still running is dropped.
    void start(const std::string& driveRoot, const PhoneIndexHeader& header);
    // Drops the listing running and the one waiting for it.
    void cancel();
    // True from start() until its listing was delivered or cancelled.
    bool isPending() const { return m_pending; }

signals:
    void listed(const tapelink::PhoneListing& listing);

private:
    struct Request {
        std::string driveRoot;
        PhoneIndexHeader header;
    };
    void launch(Request request);
    void onScanned(int generation, const std::shared_ptr<PhoneListing>& listing);

    Scan m_scan;
    WorkerMailbox* m_mailbox;  // child of the job
    int m_generation = 0;      // of the newest request; a listing of an older one is not delivered
    bool m_running = false;    // a worker has started and its end has not reached this thread
    bool m_pending = false;
    std::optional<Request> m_next;  // asked for while a worker ran
    std::jthread m_thread;
};

}  // namespace tapelink
