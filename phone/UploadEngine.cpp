#include "phone/UploadEngine.h"

#include <algorithm>

#include "common/EitherStop.h"
#include "phone/DeviceStatus.h"
#include "phone/UploadRowSelection.h"
#include "phone/UploadWorker.h"

namespace tapelink {

namespace {

constexpr const char* kSelectRows = "请选择需要上传的语音记录！";
constexpr const char* kNothingMatches = "未找到任何与查询条件相匹配的语音文件！";
constexpr const char* kTransferFailed = "传输失败！";

}  // namespace

UploadEngine::UploadEngine(const IListTexts& list, IUploadHost& host, IMessageSink& messages)
    : m_list(list), m_host(host), m_messages(messages) {}

bool UploadEngine::CheckReady() {
    if (m_host.driveRoot().empty()) {
        m_messages.showMessage(kDeviceNotReady, MessageIcon::Warning);
        return false;
    }
    // The first upload of every run asks, even when a folder is stored.
    if (!m_host.uploadFolderConfirmed() && !m_host.pickUploadFolder()) return false;
    if (!m_host.uploadFolder().empty()) return true;
    m_host.pickUploadFolder();
    return !m_host.uploadFolder().empty();
}

void UploadEngine::UploadAll() {
    if (m_host.workerExists() || !CheckReady()) return;
    // An empty list still runs a job, which ends at once with its closing message.
    start(allRows(m_list));
}

void UploadEngine::UploadSelected(const std::vector<int>& selectedRows) {
    if (m_host.workerExists() || !CheckReady()) return;
    std::vector<int> rows;
    for (int row : selectedRows) {
        if (row >= 0 && row < m_list.rowCount()) rows.push_back(row);
    }
    if (rows.empty()) {
        m_messages.showMessage(kSelectRows, MessageIcon::Warning);
        return;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    start(std::move(rows));
}

void UploadEngine::UploadByDate(std::chrono::year_month_day date) {
    if (m_host.workerExists() || !CheckReady()) return;
    std::vector<int> rows = rowsOfDate(m_list, date);
    if (rows.empty()) {
        m_messages.showMessage(kNothingMatches, MessageIcon::Warning);
        return;
    }
    start(std::move(rows));
}

void UploadEngine::UploadByNumber(const std::string& numberText) {
    if (m_host.workerExists() || !CheckReady()) return;
    std::vector<int> rows = rowsOfNumber(m_list, numberText);
    if (rows.empty()) {
        m_messages.showMessage(kNothingMatches, MessageIcon::Warning);
        return;
    }
    start(std::move(rows));
}

void UploadEngine::UploadByCategory() {
    if (m_host.workerExists()) return;
    const auto choice = m_host.askCategory(m_criteria);
    if (!choice) return;
    if (*choice == CategoryChoice::ByDate) {
        UploadByDate(m_criteria.date);
    } else {
        UploadByNumber(m_criteria.numberText);
    }
}

void UploadEngine::RequestStop() {
    if (m_host.workerExists()) {
        m_stopRequest = true;
        m_publishStop.request_stop();
    } else {
        m_host.setProgressAreaShown(false);
    }
}

void UploadEngine::Terminate() {
    if (m_host.workerExists()) m_host.cancelWorker();
}

UploadReport UploadEngine::WorkerMain(const UploadTask& task, std::stop_token stop, IUploadObserver& observer) {
    LedgerOpening opened;
    if (m_ledgerSource != nullptr && !stop.stop_requested()) {
        opened = m_ledgerSource->openLedger(task.driveRoot, task.uploadFolder, stop);
    }
    if (!opened.refusal.empty()) {
        // Nothing is copied into a folder another program may be writing at the same time.
        UploadReport refused;
        refused.folderFailed = true;
        if (!stop.stop_requested()) observer.showMessage(opened.refusal, MessageIcon::Warning);
        return refused;
    }
    UploadWorker worker(task, stop, m_stopRequest, observer, opened.ledger ? opened.ledger.get() : m_ledger);
    if (m_afterUpload) {
        // The archive's record (and its write lock) is closed first: the step opens the archive itself.
        worker.setClosingStep([this, &opened, &task, &stop, &observer] {
            opened.ledger.reset();
            // Stop ends the step too, as closing the window does; what it leaves is caught up next time.
            const EitherStop either(stop, m_publishStop.get_token());
            return m_afterUpload(task.uploadFolder, either.token(), observer);
        });
    }
    return worker.run();
}

void UploadEngine::start(std::vector<int> rows) {
    // Cleared here rather than by the worker, so that a Stop pressed as the worker starts is not lost.
    m_stopRequest = false;
    m_publishStop = std::stop_source();
    UploadTask task{TransferJob{std::move(rows)}, m_host.driveRoot(), m_host.uploadFolder()};
    m_host.setProgressAreaShown(true);
    if (!m_host.startWorker(task)) m_messages.showMessage(kTransferFailed, MessageIcon::Warning);
}

}  // namespace tapelink
