#include "app/ui/PhoneClearingCommand.h"

#include <ctime>
#include <memory>
#include <set>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "app/ui/PhoneListModel.h"
#include "catalogue/ArchivedClearing.h"
#include "catalogue/ArchivedRecordings.h"
#include "catalogue/CatalogueSession.h"
#include "phone/DeviceStatus.h"
#include "settings/ArchivePreferenceFile.h"
#include "team/TeamHeldRecordings.h"
#include "team/TeamStatusText.h"

namespace tapelink {

namespace {

constexpr const char* kNothingArchived = "电话机上没有已确认存档的录音。";

// The worker's messages, kept for the window to show once the worker has ended.
class KeptMessages : public IMessageSink {
public:
    explicit KeptMessages(std::vector<std::string>& texts) : m_texts(texts) {}
    void showMessage(const std::string& text, MessageIcon) override { m_texts.push_back(text); }

private:
    std::vector<std::string>& m_texts;
};

}  // namespace

void PhoneClearingCommand::run() {
    IArchiveWindow& window = m_context.window;
    if (window.uploadRunning()) return;
    if (window.driveRoot().empty()) {
        window.messages().showMessage(kDeviceNotReady, MessageIcon::Warning);
        return;
    }
    if (m_context.archiveFolder().empty() && !window.pickUploadFolder()) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    const std::string folder = m_context.archiveFolder();
    if (window.folderOnPhone(folder, true)) return;
    const std::string root = window.driveRoot();
    const std::vector<RecordingEntry> entries = window.phoneList().entries();
    IArchiveWindow* shown = &window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    auto archived = std::make_shared<std::vector<RecordingEntry>>();  // verified as archived, in list order
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            if (!openReconciled(session, stop, result)) return;
            // Every verified recording: the retention rule is chosen in the confirmation, which shows its count.
            const std::vector<std::string> names = verifiedArchivedNames(*session.catalogue(), folder, root, entries,
                                                                         {}, stop, progressOnWindow(*mailbox, *shown));
            std::size_t next = 0;
            for (const RecordingEntry& entry : entries) {
                if (next < names.size() && entry.fileName == names[next]) {
                    archived->push_back(entry);
                    ++next;
                }
            }
        },
        [this, archived](const ArchiveWorkResult& result) {
            if (result.opened) confirmClearing(*archived);
        });
}

void PhoneClearingCommand::confirmClearing(const std::vector<RecordingEntry>& archived) {
    if (archived.empty()) {
        m_context.window.messages().showMessage(kNothingArchived, MessageIcon::Warning);
        return;
    }
    const std::time_t now = std::time(nullptr);
    const auto chosen = [&](std::optional<int> olderThanDays) {
        std::vector<std::string> names;
        for (const RecordingEntry& entry : archived) {
            if (oldEnough(entry, {olderThanDays, now})) names.push_back(entry.fileName);
        }
        return names;
    };
    ArchivePreferenceFile& preferences = m_context.preferences;
    const auto choice = m_context.services.chooseClearing(
        [&](std::optional<int> olderThanDays) { return static_cast<int>(chosen(olderThanDays).size()); },
        preferences.values().clearOlderThanDays, m_context.window.dialogOwner());
    if (!choice) return;
    if (preferences.values().clearOlderThanDays != *choice) {
        preferences.edit().clearOlderThanDays = *choice;
        preferences.save();
    }
    if (chosen(*choice).empty()) return;
    clearConfirmed(archived, {*choice, now});
}

void PhoneClearingCommand::clearConfirmed(const std::vector<RecordingEntry>& archived, const ClearingRule& rule) {
    IArchiveWindow& window = m_context.window;
    const std::string root = window.driveRoot();
    const std::string folder = m_context.archiveFolder();
    if (root.empty() || folder.empty() || window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    const PhoneIndexHeader header = window.phoneIndex();
    IArchiveWindow* shown = &window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    const auto openTeam = m_context.services.openTeamArchive;
    const TeamSettings team = m_context.services.team;
    auto report = std::make_shared<ClearingReport>();
    auto serverUnconfirmed = std::make_shared<bool>(false);
    // The count confirmed was an estimate: each recording is checked again now, right before it goes.
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            if (!openReconciled(session, stop, result)) return;
            // On a team desk the server must hold a recording too, as it says now, before the telephone's copy
            // goes.
            ClearingRule applied = rule;
            std::set<std::string> serverHolds;
            if (openTeam && team.inTeam() && team.clearingNeedsServer) {
                const std::unique_ptr<ITeamArchive> server = openTeam();
                const TeamStatus asked =
                    server ? teamHeldRecordings(*server, team.desk, *session.catalogue(), archived, serverHolds)
                           : TeamStatus::ConnectionLost;
                if (asked != TeamStatus::Ok) {
                    result.messages.push_back(teamStatusText(asked) + kTeamServerUnconfirmed);
                    *serverUnconfirmed = true;
                    return;
                }
                applied.serverHolds = &serverHolds;
            }
            PhoneIndexHeader written = header;
            KeptMessages messages(result.messages);
            *report = clearArchived(*session.catalogue(), folder, root, archived, applied, written, messages, stop,
                                    progressOnWindow(*mailbox, *shown));
        },
        [this, report, rule, serverUnconfirmed](const ArchiveWorkResult& result) {
            IMessageSink& messages = m_context.window.messages();
            for (const std::string& text : result.messages) messages.showMessage(text, MessageIcon::Stop);
            if (result.opened && !*serverUnconfirmed) {
                messages.showMessage(clearingSummary(*report, rule, 20),
                                     report->failed() ? MessageIcon::Warning : MessageIcon::Information);
            }
            // The index written on the telephone is read back with the list.
            m_context.window.onPhoneRescan();
        });
}

}  // namespace tapelink
