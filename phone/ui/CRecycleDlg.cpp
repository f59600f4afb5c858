#include "phone/ui/CRecycleDlg.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <array>

#include "phone/PhoneStore.h"
#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RecycleMessages.h"
#include "phone/RowTable.h"
#include "phone/ui/RestoreJob.h"

namespace tapelink {

namespace {

constexpr std::array<int, kRecordingColumnCount> kColumnWidths = {40, 100, 80, 110, 60, 120, 80, 120};

QPushButton* makeButton(QWidget* parent, const char* text, const char* id, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromLatin1(id));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

CRecycleDlg::CRecycleDlg(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages,
                         const IDeviceLocator& locator, QWidget* parent)
    : QDialog(parent), m_driveRoot(std::move(driveRoot)), m_header(header), m_messages(messages), m_locator(locator) {
    buildControls();
    RefreshList();
}

CRecycleDlg::~CRecycleDlg() {
    // Ends the worker while the window is whole, so nothing it sends reaches a half-destroyed window.
    delete m_job.data();
}

void CRecycleDlg::buildControls() {
    setWindowTitle(QStringLiteral("回收站"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(dialogFont());
    setFixedSize(dialogRect(0, 0, 447, 265).size());

    // "还原" is the dialog's confirm command, so Enter in the list starts a restore.
    m_restoreButton = makeButton(this, "还原", "1", dialogRect(5, 39, 50, 14));
    m_restoreButton->setDefault(true);
    m_deleteButton = makeButton(this, "永久删除", "1030", dialogRect(5, 76, 50, 14));
    m_closeButton = makeButton(this, "关闭", "2", dialogRect(5, 111, 50, 14));
    connect(m_restoreButton, &QPushButton::clicked, this, &CRecycleDlg::OnRestore);
    connect(m_deleteButton, &QPushButton::clicked, this, &CRecycleDlg::OnPermanentDelete);
    connect(m_closeButton, &QPushButton::clicked, this, &CRecycleDlg::reject);

    m_list = new QTableWidget(0, static_cast<int>(kRecordingColumnCount), this);
    m_list->setObjectName(QStringLiteral("1003"));
    m_list->setGeometry(dialogRect(60, 7, 380, 236));
    QStringList titles;
    for (const auto& title : recordingColumnTitles()) titles << QString::fromStdString(title);
    m_list->setHorizontalHeaderLabels(titles);
    for (int column = 0; column < m_list->columnCount(); ++column) {
        m_list->setColumnWidth(column, kColumnWidths[static_cast<std::size_t>(column)]);
    }
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("1052"));
    m_progress->setGeometry(dialogRect(127, 249, 175, 13));
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_list->setFocus();
}

void CRecycleDlg::RefreshList() {
    clearRows();
    // Without a telephone nothing is listed (RecycleBin never looks at the working folder).
    const RecycleBin bin(m_driveRoot, m_header, m_messages);
    int position = 0;
    for (const RecordingEntry& entry : bin.RefreshList()) AddRow(entry, position++);
}

void CRecycleDlg::AddRow(const RecordingEntry& entry, int position) {
    const RecordingRow texts = recycleBinRow(entry, position);
    position = std::clamp(position, 0, m_list->rowCount());
    m_rows.insert(m_rows.begin() + position, texts);
    m_list->insertRow(position);
    for (int column = 0; column < static_cast<int>(texts.size()); ++column) {
        auto* item = new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(column)]));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        m_list->setItem(position, column, item);
    }
}

std::vector<int> CRecycleDlg::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CRecycleDlg::OnRestore() {
    if (m_driveRoot.empty()) {
        m_messages.showMessage(kDeviceNotReady);
        return;
    }
    if (isRestoring()) return;
    std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        m_messages.showMessage(kNoRestoreRowSelected);
        return;
    }

    // The worker reads a copy of the rows, never the widget.
    auto* job = new RestoreJob(m_driveRoot, m_header, m_messages, TransferJob{std::move(rows)}, RowTable(m_rows), this);
    connect(job, &RestoreJob::progressStarted, this, &CRecycleDlg::onProgressStarted);
    connect(job, &RestoreJob::progressAdvanced, m_progress, &QProgressBar::setValue);
    connect(job, &RestoreJob::savePhoneIndexRequested, this, &CRecycleDlg::savePhoneIndex);
    connect(job, &RestoreJob::progressEnded, m_progress, &QProgressBar::hide);
    connect(job, &RestoreJob::listRefreshRequested, this, &CRecycleDlg::RefreshList);
    connect(job, &RestoreJob::phoneRescanRequested, this, &CRecycleDlg::phoneRescanRequested);
    connect(job, &RestoreJob::finished, this, &CRecycleDlg::onRestoreFinished);
    m_job = job;
    if (!job->start()) {
        delete job;
        m_messages.showMessage(kRestoreNotStarted);
        return;
    }
    m_closeButton->setEnabled(false);
}

void CRecycleDlg::onProgressStarted(int count) {
    m_progress->setRange(0, count);
    m_progress->setValue(0);
    m_progress->show();
}

void CRecycleDlg::savePhoneIndex() {
    // The restore's own telephone, even when this window has let go of it meanwhile.
    const std::string root = m_job ? m_job->driveRoot() : m_driveRoot;
    emit phoneIndexSaved(!root.empty() && PhoneStore(root).writeHeader(m_header));
}

void CRecycleDlg::onRestoreFinished() {
    if (m_job) m_job->deleteLater();
    m_job.clear();
    m_closeButton->setEnabled(true);
    if (m_closePending) {
        m_closePending = false;
        QDialog::done(QDialog::Rejected);
    }
}

void CRecycleDlg::OnPermanentDelete() {
    if (isRestoring()) return;
    const std::vector<int> rows = selectedRows();
    std::vector<std::string> names;
    for (const int row : rows) names.push_back(m_rows[static_cast<std::size_t>(row)][1]);
    // Each row goes as soon as its file is gone; the rows left keep their numbers.
    RecycleBin bin(m_driveRoot, m_header, m_messages);
    bin.PermanentDelete(names, [&](std::size_t i) { removeRow(rows[i] - static_cast<int>(i)); });
    // The list was not of the telephone now there: both lists are read again.
    if (bin.deleteRefused()) {
        emit phoneRescanRequested();
        RefreshList();
    }
}

void CRecycleDlg::clearRows() {
    m_list->setRowCount(0);
    m_rows.clear();
}

void CRecycleDlg::removeRow(int row) {
    m_list->removeRow(row);
    m_rows.erase(m_rows.begin() + row);
}

void CRecycleDlg::OnDeviceChange(DeviceEvent event) {
    if (event == DeviceEvent::Arrival) {
        if (!m_driveRoot.empty()) return;
        m_driveRoot = m_locator.FindPhoneDrive();
        if (!m_driveRoot.empty()) RefreshList();
        emit deviceChangeForwarded(event);
        return;
    }
    if (m_driveRoot.empty() || m_locator.FindPhoneDrive() == m_driveRoot) return;
    // A restore in progress ends after its current file; it keeps its own drive root for the header.
    if (m_job) m_job->requestStop();
    m_driveRoot.clear();
    clearRows();
    emit deviceChangeForwarded(event);
    m_messages.showMessage(kPhoneRemoved);
}

void CRecycleDlg::done(int result) {
    if (isRestoring()) {
        m_closePending = true;
        m_job->requestStop();
        return;
    }
    QDialog::done(result);
}

}  // namespace tapelink
