#include "app/ui/RetentionCommands.h"

#include <QProgressBar>
#include <ctime>
#include <memory>
#include <set>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "catalogue/CatalogueSession.h"
#include "phone/ui/WorkerMailbox.h"
#include "retention/ExpiredRecordings.h"
#include "retention/RetentionPlan.h"
#include "retention/ui/RetentionTexts.h"
#include "settings/ArchivePreferenceFile.h"

namespace tapelink {

namespace {

constexpr const char* kNoRetentionRule = "没有设置“保留 N 天”：请在“上传路径”中勾选“保留”并填写天数。";
constexpr const char* kNoNotes = "无法读取存档索引或备注，没有移动任何录音。";

MessageIcon iconFor(const ExpiryOutcome& first, const ExpiryOutcome& second = {}) {
    return first.failure.empty() && second.failure.empty() ? MessageIcon::Information : MessageIcon::Warning;
}

}  // namespace

void RetentionCommands::finish(const ArchiveWorkResult& result, const std::function<void()>& step) {
    for (const std::string& text : result.messages) m_context.window.messages().showMessage(text, MessageIcon::Warning);
    if (result.opened && result.messages.empty()) step();
}

std::string RetentionCommands::retentionFolder() {
    IArchiveWindow& window = m_context.window;
    if (window.uploadRunning()) return {};
    if (m_context.archiveFolder().empty() && !window.pickUploadFolder()) return {};
    const std::string folder = m_context.archiveFolder();
    return window.folderOnPhone(folder, true) ? std::string() : folder;
}

void RetentionCommands::previewExpiry() {
    if (m_context.window.uploadRunning()) return;
    const std::string folder = retentionFolder();
    if (folder.empty()) return;
    const std::optional<int> keepDays = m_context.preferences.values().keepArchiveDays;
    if (!keepDays) {
        m_context.window.messages().showMessage(kNoRetentionRule, MessageIcon::Warning);
        return;
    }
    const int days = *keepDays;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    auto preview = std::make_shared<RetentionPreview>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            if (!openReconciled(session, stop, result)) return;
            if (session.notes() == nullptr) {
                result.messages.push_back(kNoNotes);
                return;
            }
            *preview = previewRetention(*session.catalogue(), *session.notes(), days, now);
            if (preview->status != CatalogueStatus::Ok) result.messages.push_back(kNoNotes);
        },
        [this, preview, days, now](const ArchiveWorkResult& result) {
            finish(result, [&] {
                if (preview->candidates.empty()) {
                    m_context.window.messages().showMessage(
                        QStringLiteral("保留 %1 天：没有需要移出的录音（%2 个因有备注或标签而保留）。")
                            .arg(days)
                            .arg(preview->keptByNote)
                            .toStdString(),
                        MessageIcon::Information);
                    return;
                }
                if (!m_context.services.confirmRetention(*preview, days, m_context.window.dialogOwner())) return;
                expireConfirmed(*preview, days, now);
            });
        });
}

void RetentionCommands::expireConfirmed(const RetentionPreview& confirmed, int days, std::int64_t now) {
    const std::string folder = m_context.archiveFolder();
    if (folder.empty() || m_context.window.folderOnPhone(folder, true)) return;
    std::set<std::string> seen;
    for (const ExpiryCandidate& candidate : confirmed.candidates) seen.insert(candidate.fileName);
    const int purgeDays = m_context.preferences.values().expiredPurgeDays;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    IArchiveWindow* window = &m_context.window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    auto expiry = std::make_shared<ExpiryOutcome>();
    auto purged = std::make_shared<ExpiryOutcome>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            const std::unique_ptr<IArchiveWriteLock> lock =
                lockReconciled(session, folder, "没有移动任何录音。", stop, result);
            if (!lock) return;
            if (session.notes() == nullptr) {
                result.messages.push_back(kNoNotes);
                return;
            }
            // Planned again under the lock: what gained a note meanwhile stays, and nothing the user did not
            // see moves.
            const RetentionPreview again = previewRetention(*session.catalogue(), *session.notes(), days, now);
            if (again.status != CatalogueStatus::Ok) {
                result.messages.push_back(kNoNotes);
                return;
            }
            std::vector<ExpiryCandidate> chosen;
            for (const ExpiryCandidate& candidate : again.candidates) {
                if (seen.contains(candidate.fileName)) chosen.push_back(candidate);
            }
            mailbox->post([window] { window->progressBar()->setRange(0, 0); });
            ExpiredRecordings expired(*session.catalogue(), folder);
            *expiry = expired.expire(chosen, now);
            if (expiry->failure.empty()) *purged = expired.purge(purgeDays, now);
        },
        [this, expiry, purged, purgeDays](const ArchiveWorkResult& result) {
            finish(result, [&] {
                m_context.window.messages().showMessage(expirySummary(*expiry, *purged, purgeDays).toStdString(),
                                                        iconFor(*expiry, *purged));
            });
        });
}

void RetentionCommands::listExpired() {
    const std::string folder = retentionFolder();
    if (folder.empty()) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    auto rows = std::make_shared<std::vector<CatalogueRecord>>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            if (!openReconciled(session, stop, result)) return;
            if (ExpiredRecordings(*session.catalogue(), folder).list(*rows) != CatalogueStatus::Ok)
                result.messages.push_back("无法读取存档索引。");
        },
        [this, rows](const ArchiveWorkResult& result) { finish(result, [&] { showExpiredView(*rows); }); });
}

void RetentionCommands::showExpiredView(const std::vector<CatalogueRecord>& rows) {
    // The view has closed before anything it chose is done.
    const int purgeDays = m_context.preferences.values().expiredPurgeDays;
    const CExpiredDlg::Choice choice = m_context.services.showExpired(rows, purgeDays, m_context.window.dialogOwner());
    if (choice.action == CExpiredDlg::Choice::Action::Restore && !choice.names.empty()) {
        changeExpired(true, choice.names);
    } else if (choice.action == CExpiredDlg::Choice::Action::Purge && !rows.empty()) {
        std::uint64_t bytes = 0;
        for (const CatalogueRecord& row : rows) bytes += row.size;
        if (m_context.services.confirm(purgeQuestion(rows.size(), bytes), m_context.window.dialogOwner()))
            changeExpired(false, {});
    }
}

void RetentionCommands::changeExpired(bool restore, const std::vector<std::string>& names) {
    const std::string folder = m_context.archiveFolder();
    if (folder.empty() || m_context.window.folderOnPhone(folder, true)) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    auto outcome = std::make_shared<ExpiryOutcome>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, folder);
            const std::unique_ptr<IArchiveWriteLock> lock =
                lockReconciled(session, folder, "已过期的录音保持原样。", stop, result);
            if (!lock) return;
            ExpiredRecordings expired(*session.catalogue(), folder);
            *outcome = restore ? expired.restore(names) : expired.purge(0, std::time(nullptr));
        },
        [this, outcome, restore](const ArchiveWorkResult& result) {
            finish(result, [&] {
                const QString text = restore ? restoreSummary(*outcome) : purgeSummary(*outcome);
                m_context.window.messages().showMessage(text.toStdString(), iconFor(*outcome));
            });
        });
}

}  // namespace tapelink
