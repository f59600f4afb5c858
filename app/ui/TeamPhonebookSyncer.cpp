#include "app/ui/TeamPhonebookSyncer.h"

#include <system_error>

#include "catalogue/CatalogueSession.h"
#include "contacts/PhonebookTexts.h"
#include "phone/ui/WorkerMailbox.h"
#include "team/TeamStatusText.h"

namespace tapelink {

TeamPhonebookSyncer::TeamPhonebookSyncer(IArchiveCatalogueOpener& catalogues, Open open, QObject* parent)
    : QObject(parent), m_catalogues(catalogues), m_open(std::move(open)), m_mailbox(new WorkerMailbox(this)) {}

TeamPhonebookSyncer::~TeamPhonebookSyncer() {
    if (m_thread.joinable()) m_thread.join();
    m_mailbox->close();
}

std::string TeamPhonebookSyncer::failureText(const PhonebookSyncReport& report) {
    switch (report.team) {
        case TeamStatus::Ok:
            break;
        case TeamStatus::Refused:
            return kTeamPhonebookMayNotEdit;
        case TeamStatus::ConnectionLost:
            return teamStatusText(report.team);
        case TeamStatus::Failed:
            return "团队电话簿同步失败！";
    }
    if (report.local == CatalogueStatus::ReadOnly) return kPhonebookReadOnly;
    return report.local == CatalogueStatus::Ok ? std::string() : kPhonebookStoreFailed;
}

void TeamPhonebookSyncer::sync(const std::string& folder, bool told) {
    if (folder.empty()) return;
    if (m_thread.joinable()) {
        m_next = Next{folder, told || (m_next && m_next->told)};
        return;
    }
    start(folder, told);
}

void TeamPhonebookSyncer::start(const std::string& folder, bool told) {
    IArchiveCatalogueOpener* catalogues = &m_catalogues;
    const Open open = m_open;
    WorkerMailbox* mailbox = m_mailbox;
    try {
        m_thread = std::jthread([=, this] {
            PhonebookSyncReport report;
            CatalogueSession session(*catalogues, folder);
            session.open(CatalogueAccess::ReadWrite);
            const std::unique_ptr<ITeamPhonebook> team = open();
            if (!session.isOpen()) {
                report.local = session.status() == CatalogueStatus::Ok ? CatalogueStatus::Failed : session.status();
            } else if (team) {
                report = TeamPhonebookSync(*session.phonebook(), *team).sync();
            } else {
                report.team = TeamStatus::Failed;
            }
            mailbox->post([this, report, told] { onFinished(report, told); });
        });
    } catch (const std::system_error&) {
        // No thread to run it on: the next opening tries again.
    }
}

void TeamPhonebookSyncer::onFinished(const PhonebookSyncReport& report, bool told) {
    if (m_thread.joinable()) m_thread.join();
    emit finished(report, told);
    if (m_next) {
        const Next next = *m_next;
        m_next.reset();
        start(next.folder, next.told);
    }
}

}  // namespace tapelink
