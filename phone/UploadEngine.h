#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "phone/CategoryCriteria.h"
#include "phone/IUploadHost.h"
#include "phone/IUploadLedger.h"
#include "phone/IUploadObserver.h"
#include "phone/UploadReport.h"
#include "phone/UploadTask.h"

namespace tapelink {

// Copies recordings from the telephone into the upload folder. The starters run on the window's thread:
// they check that a telephone and an upload folder are there, pick rows of the phone list and hand the
// job to the host's worker thread, which runs WorkerMain.
class UploadEngine {
public:
    UploadEngine(const IListTexts& list, IUploadHost& host, IMessageSink& messages);

    // "设备未准备好！" without a telephone; asks for the upload folder on the first upload of the run.
    bool CheckReady();

    void UploadAll();
    // selectedRows: the list's selected row indices, in any order.
    void UploadSelected(const std::vector<int>& selectedRows);
    void UploadByDate(std::chrono::year_month_day date);
    void UploadByNumber(const std::string& numberText);
    // Runs the category dialog through the host and uploads by the chosen criterion.
    void UploadByCategory();

    // The Stop button: the worker ends after the file it is copying; without a worker the progress area
    // is hidden.
    void RequestStop();
    // The window is closing: the worker stops at its next block and shows nothing more.
    void Terminate();

    // The worker's body: copies the task's rows one after the other. stop cancels at the next block.
    UploadReport WorkerMain(const UploadTask& task, std::stop_token stop, IUploadObserver& observer);

    // Tells the workers' copies and replacements to the archive's record; null: nobody keeps one.
    void setLedger(IUploadLedger* ledger) { m_ledger = ledger; }
    // Or: a ledger opened afresh by each worker for its job's folder.
    void setLedgerSource(IUploadLedgerSource* source) { m_ledgerSource = source; }

    // What runs on the worker after an upload's copies, once the archive's record is closed, before the
    // summary: it may show its progress in the status text; a text it returns is a line of the summary.
    // The window publishes the upload folder to the desk's team archive with it.
    using AfterUpload =
        std::function<std::string(const std::string& uploadFolder, std::stop_token stop, IUploadObserver& observer)>;
    void setAfterUpload(AfterUpload step) { m_afterUpload = std::move(step); }

    const CategoryCriteria& categoryCriteria() const { return m_criteria; }
    bool stopRequested() const { return m_stopRequest.load(); }

private:
    void start(std::vector<int> rows);

    const IListTexts& m_list;
    IUploadHost& m_host;
    IMessageSink& m_messages;
    CategoryCriteria m_criteria;
    std::atomic<bool> m_stopRequest{false};
    IUploadLedger* m_ledger = nullptr;
    IUploadLedgerSource* m_ledgerSource = nullptr;
    AfterUpload m_afterUpload;
    std::stop_source m_publishStop;  // requested by Stop, for the step after the copies
};

}  // namespace tapelink
