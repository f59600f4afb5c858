#include "phone/ui/PhoneListingJob.h"

#include <system_error>

#include "phone/ui/WorkerMailbox.h"

namespace tapelink {

namespace {

// The scan's rows and messages, kept for the GUI thread. The caption's reading status is shown by the
// window when it starts the listing, so the scan's own status call has nothing to do here.
class KeptListing : public ICatalogueView, public IMessageSink {
public:
    explicit KeptListing(PhoneListing& listing) : m_listing(listing) {}
    void setStatusText(const std::string&) override {}
    void clearRows() override { m_listing.entries.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int) override { m_listing.entries.push_back(entry); }
    void showMessage(const std::string& text, MessageIcon icon) override {
        m_listing.messages.emplace_back(text, icon);
    }

private:
    PhoneListing& m_listing;
};

}  // namespace

PhoneListingJob::PhoneListingJob(Scan scan, QObject* parent)
    : QObject(parent), m_scan(std::move(scan)), m_mailbox(new WorkerMailbox(this)) {}

PhoneListingJob::~PhoneListingJob() {
    // The worker's last post is dropped unrun; its scan is waited for, since it may be writing the telephone.
    m_mailbox->close();
    if (m_thread.joinable()) m_thread.join();
}

void PhoneListingJob::start(const std::string& driveRoot, const PhoneIndexHeader& header) {
    ++m_generation;
    m_pending = true;
    Request request{driveRoot, header};
    if (m_running) {
        m_next = std::move(request);
        return;
    }
    launch(std::move(request));
}

void PhoneListingJob::cancel() {
    ++m_generation;
    m_next.reset();
    m_pending = false;
}

void PhoneListingJob::launch(Request request) {
    const int generation = m_generation;
    auto listing = std::make_shared<PhoneListing>();
    listing->driveRoot = std::move(request.driveRoot);
    listing->header = request.header;
    const auto scan = [scanner = m_scan, listing] {
        KeptListing kept(*listing);
        listing->result = scanner(listing->driveRoot, listing->header, kept, kept);
    };
    if (m_thread.joinable()) m_thread.join();
    try {
        m_thread = std::jthread([this, scan, generation, listing] {
            scan();
            m_mailbox->post([this, generation, listing] { onScanned(generation, listing); });
        });
    } catch (const std::system_error&) {
        // No thread to be had: the telephone is still listed, on this thread as before.
        scan();
        m_running = true;
        onScanned(generation, listing);
        return;
    }
    m_running = true;
}

void PhoneListingJob::onScanned(int generation, const std::shared_ptr<PhoneListing>& listing) {
    if (m_thread.joinable()) m_thread.join();
    m_running = false;
    if (m_next) {
        Request next = std::move(*m_next);
        m_next.reset();
        launch(std::move(next));
        return;
    }
    if (generation != m_generation || !m_pending) return;
    m_pending = false;
    emit listed(*listing);
}

}  // namespace tapelink
