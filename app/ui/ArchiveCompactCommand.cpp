#include "app/ui/ArchiveCompactCommand.h"

#include <ctime>
#include <memory>

#include "app/ui/ArchiveWorkSteps.h"
#include "app/ui/ArchiveWorker.h"
#include "catalogue/CatalogueSession.h"
#include "compaction/ArchiveCompaction.h"

namespace tapelink {

namespace {

constexpr const char* kCompactQuestion =
    "将上传文件夹中已存档的录音转换为Opus格式（约为原大小的一半以下），每个转换后的文件校验无误并登记后才删除原WAV文件"
    "。是否继续？";

QString megabytes(std::int64_t bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

void showCompactionSummary(const CompactionReport& report, IMessageSink& messages) {
    QString text = QStringLiteral("已压缩 %1 个录音，%2 → %3，节省 %4。")
                       .arg(report.compacted)
                       .arg(megabytes(static_cast<std::int64_t>(report.bytesBefore)),
                            megabytes(static_cast<std::int64_t>(report.bytesAfter)), megabytes(report.bytesSaved()));
    if (!report.folderOpen) text += QStringLiteral("\n上传路径错误！");
    if (report.status == CatalogueStatus::ReadOnly) {
        text += QStringLiteral("\n上传文件夹或存档索引不可写，未压缩任何录音。");
    } else if (report.status != CatalogueStatus::Ok) {
        text += QStringLiteral("\n无法写入存档索引，压缩已停止，原录音未删除。");
    }
    if (report.diskFull) text += QStringLiteral("\n上传文件夹所在的磁盘已满，压缩已停止，其余录音未改动。");
    if (report.stopped) text += QStringLiteral("\n压缩已停止，其余录音未改动。");
    std::vector<std::string> failed;
    for (const CompactionFailure& failure : report.failures)
        failed.push_back(failure.fileName + "（" + failure.reason + "）");
    text += QStringLiteral("\n") + listOf("未压缩", failed);
    messages.showMessage(text.trimmed().toStdString(),
                         report.allGood() ? MessageIcon::Information : MessageIcon::Warning);
}

}  // namespace

void ArchiveCompactCommand::run() {
    IArchiveWindow& window = m_context.window;
    if (window.uploadRunning()) return;
    if (m_context.archiveFolder().empty() && !window.pickUploadFolder()) return;
    const std::string target = m_context.archiveFolder();
    if (window.folderOnPhone(target, true)) return;
    if (!m_context.services.confirm(QString::fromUtf8(kCompactQuestion), window.dialogOwner())) return;
    IArchiveCatalogueOpener* catalogues = &m_context.catalogues();
    const auto makeEncoder = m_context.services.makeCompactEncoder;
    IArchiveWindow* shown = &window;
    WorkerMailbox* mailbox = &m_context.worker.mailbox();
    const std::atomic<bool>* stopRequest = &m_context.worker.stopRequest();
    auto report = std::make_shared<CompactionReport>();
    m_context.worker.start(
        true,
        [=](std::stop_token stop, ArchiveWorkResult& result) {
            CatalogueSession session(*catalogues, target);
            const std::unique_ptr<IArchiveWriteLock> lock =
                lockReconciled(session, target, "未压缩任何录音。", stop, result);
            if (!lock) return;
            const std::unique_ptr<IAudioEncoder> encoder = makeEncoder();
            ArchiveCompaction compaction(*session.catalogue(), target, *encoder);
            CompactionChoice choice;
            choice.now = std::time(nullptr);
            *report = compaction.run(choice, stop, progressOnWindow(*mailbox, *shown), stopRequest);
        },
        [this, report](const ArchiveWorkResult& result) { showResult(result, *report); });
}

void ArchiveCompactCommand::showResult(const ArchiveWorkResult& result, const CompactionReport& report) {
    IMessageSink& messages = m_context.window.messages();
    for (const std::string& text : result.messages) messages.showMessage(text, MessageIcon::Warning);
    if (result.opened) showCompactionSummary(report, messages);
}

}  // namespace tapelink
