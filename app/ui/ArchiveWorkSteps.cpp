#include "app/ui/ArchiveWorkSteps.h"

#include <QFile>
#include <QProgressBar>

#include "app/ui/ArchiveWorkResult.h"
#include "app/ui/IArchiveWindow.h"
#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueSession.h"
#include "phone/ui/WorkerMailbox.h"

namespace tapelink {

namespace {

// The report scrolls, so it can name many; past this the count stands for the rest.
constexpr std::size_t kListedNames = 200;

QString setAsideText(const std::string& path) {
    return QStringLiteral("存档索引已损坏，原文件已保存为 %1，已根据上传文件夹重建存档索引。")
        .arg(QFile::decodeName(QByteArray::fromStdString(path)));
}

}  // namespace

bool openReconciled(CatalogueSession& session, std::stop_token stop, ArchiveWorkResult& result) {
    session.openReconciled(std::move(stop));
    result.setAsidePath = session.setAsidePath();
    result.status = session.status();
    result.opened = session.isOpen();
    return result.opened;
}

std::unique_ptr<IArchiveWriteLock> lockReconciled(CatalogueSession& session, const std::string& folder,
                                                  const char* refusal, std::stop_token stop,
                                                  ArchiveWorkResult& result) {
    std::unique_ptr<IArchiveWriteLock> lock = session.writeLock();
    if (!lock->held()) {
        result.messages.push_back("无法锁定上传路径 " + folder + "，" + refusal);
        return nullptr;
    }
    if (!openReconciled(session, std::move(stop), result)) return nullptr;
    return lock;
}

HashProgress progressOnWindow(WorkerMailbox& mailbox, IArchiveWindow& window) {
    return [mailbox = &mailbox, window = &window](int done, int total) {
        mailbox->post([window, done, total] {
            window->progressBar()->setRange(0, total);
            window->progressBar()->setValue(done);
        });
    };
}

QString listOf(const char* title, const std::vector<std::string>& names) {
    if (names.empty()) return {};
    QString text = QString::fromUtf8(title) + QStringLiteral("：");
    for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i)
        text += QStringLiteral("\n  ") + QString::fromStdString(names[i]);
    if (names.size() > kListedNames) text += QStringLiteral("\n  ……（共 %1 个）").arg(names.size());
    return text + QStringLiteral("\n");
}

void showCatalogueOpening(const ArchiveWorkResult& result, bool command, IMessageSink& messages) {
    if (!result.setAsidePath.empty()) {
        messages.showMessage(setAsideText(result.setAsidePath).toStdString(), MessageIcon::Warning);
    }
    const bool failed = !result.opened && command && result.messages.empty();
    // A lost connection is told whenever it happens, the worker's own reconciliation included.
    if (failed || result.status == CatalogueStatus::ConnectionLost) {
        messages.showMessage(catalogueFailureText(result.status, false), MessageIcon::Warning);
    }
}

}  // namespace tapelink
