#pragma once

#include <QDialog>
#include <QPointer>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "phone/IDeviceLocator.h"
#include "phone/PhoneIndexHeader.h"
#include "recording/RecordingEntry.h"

class QProgressBar;
class QPushButton;
class QTableWidget;

namespace tapelink {

class RestoreJob;

// The telephone's recycle bin (dialog 139, "回收站"): lists RECYCLE/, restores the selected recordings into
// voice/ on a worker thread with a progress bar ("还原", also Enter in the list), deletes them for good
// ("永久删除"). Opened over the main window, which owns the one in-memory index header.
//
// Signals for the main window:
// - phoneIndexSaved(bool): after a restore, once the header has been written to the telephone on the GUI
//   thread (the file may be gone; then written is false). Always comes before phoneRescanRequested.
// - phoneRescanRequested(): after every restore, also one stopped by closing the window: the main window
//   scans the telephone again (ScanCatalogue) and shows "设备状态：录音电话成功连接".
// - deviceChangeForwarded(event): a device notification handled here that the main window must see too.
//
// Closing the window during a restore lets the worker finish the file in progress and stop; the window
// closes once the worker has ended (after the header write and the rescan request).
class CRecycleDlg : public QDialog {
    Q_OBJECT
public:
    enum class DeviceEvent { Arrival, RemoveComplete };
    Q_ENUM(DeviceEvent)

    // driveRoot is the main window's (empty without a telephone: the list then stays empty).
    CRecycleDlg(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages, const IDeviceLocator& locator,
                QWidget* parent = nullptr);
    ~CRecycleDlg() override;

    void RefreshList();
    void AddRow(const RecordingEntry& entry, int position);
    void OnRestore();
    void OnPermanentDelete();
    void OnDeviceChange(DeviceEvent event);

    const std::string& driveRoot() const { return m_driveRoot; }
    bool isRestoring() const { return !m_job.isNull(); }

public slots:
    void done(int result) override;

signals:
    void phoneIndexSaved(bool written);
    void phoneRescanRequested();
    void deviceChangeForwarded(CRecycleDlg::DeviceEvent event);

private:
    void buildControls();
    std::vector<int> selectedRows() const;
    void onProgressStarted(int count);
    void savePhoneIndex();
    void onRestoreFinished();
    void clearRows();
    void removeRow(int row);

    std::string m_driveRoot;
    PhoneIndexHeader& m_header;
    IMessageSink& m_messages;
    const IDeviceLocator& m_locator;
    QTableWidget* m_list = nullptr;
    // The texts of the list's rows as read from the telephone, file names byte for byte: the window acts
    // on these, never on display text, which can't hold a name that is not valid UTF-8.
    std::vector<RecordingRow> m_rows;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_restoreButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPointer<RestoreJob> m_job;
    bool m_closePending = false;
};

}  // namespace tapelink
