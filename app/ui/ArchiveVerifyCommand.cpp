#include "app/ui/ArchiveVerifyCommand.h"

#include <memory>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "catalogue/ArchiveVerify.h"
#include "catalogue/CatalogueSession.h"

namespace tapelink {

namespace {

constexpr const char* kVerifyDone = "存档校验完毕，%1 个文件全部完好。";

}  // namespace

void ArchiveVerifyCommand::run() {
    IArchiveWindow& window = m_context.window;
    if (window.uploadRunning()) return;
    const std::string folder = m_context.archiveFolder();
    if (folder.empty() && !window.pickUploadFolder()) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    const std::string target = m_context.archiveFolder();
    if (window.folderOnPhone(target, true)) return;
    IArchiveWindow* shown = &window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    auto report = std::make_shared<VerifyReport>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, target);
            if (!openReconciled(session, stop, result)) return;
            *report = verifyArchive(*session.catalogue(), target, stop, progressOnWindow(*mailbox, *shown));
        },
        [this, report](const ArchiveWorkResult& result) { showResult(result, *report); });
}

void ArchiveVerifyCommand::showResult(const ArchiveWorkResult& result, const VerifyReport& report) {
    if (!result.opened || report.stopped) return;
    IMessageSink& messages = m_context.window.messages();
    if (report.allGood()) {
        messages.showMessage(QString::fromUtf8(kVerifyDone).arg(report.checked).toStdString(),
                             MessageIcon::Information);
    } else {
        const QString text = QStringLiteral("存档校验发现问题：\n") + listOf("内容已改变", report.changed) +
                             listOf("文件缺失", report.missing) + listOf("未记录的文件", report.unrecorded) +
                             listOf("无法读取", report.unreadable);
        messages.showMessage(text.toStdString(), MessageIcon::Warning);
    }
}

}  // namespace tapelink
