#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "sharing/IShareTools.h"
#include "sharing/SharePlan.h"
#include "sharing/ShareReport.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tapelink {

class ShareJob;

// "分享…": the chosen recordings as MP3 (the default) or the original WAV, in a zip file or a folder. The
// share is written on a worker; then the user is offered the folder or, for a zip, the mail program, and told
// when the zip is too large for common mail limits.
//
// Controls by object name: "mp3", "wav", "zip", "folder", "target", "browse", "progress", "status", "share",
// "cancel".
class CShareDlg : public QDialog {
    Q_OBJECT
public:
    // What happens after a share was written: the offer to open the folder or mail the zip. Tests replace it.
    using Offer = std::function<void(const ShareReport& report, const SharePlan& plan, QWidget* owner)>;

    CShareDlg(std::vector<ShareItem> items, std::vector<std::string> protectedFolders, IShareTools& tools,
              QWidget* parent = nullptr, IMessageSink* messages = nullptr);
    ~CShareDlg() override;

    void setOffer(Offer offer) { m_offer = std::move(offer); }
    // The desktop's offer: 打开文件夹 (the file manager), 用邮件发送 (xdg-email --attach) or 关闭.
    static void offerDesktop(const ShareReport& report, const SharePlan& plan, QWidget* owner);

    SharePlan plan() const;

public slots:
    void startShare();

protected:
    void reject() override;

private:
    void browse();
    void targetKindChanged();
    void onProgress(int index, int count, const QString& name);
    void onFinished(const ShareReport& report);
    void setWorking(bool working);

    std::vector<ShareItem> m_items;
    std::vector<std::string> m_protected;
    std::unique_ptr<IMessageSink> m_ownSink;
    IMessageSink& m_messages;
    ShareJob* m_job;
    Offer m_offer = &CShareDlg::offerDesktop;
    SharePlan m_running;

    QRadioButton* m_mp3 = nullptr;
    QRadioButton* m_wav = nullptr;
    QRadioButton* m_zip = nullptr;
    QRadioButton* m_folder = nullptr;
    QLineEdit* m_target = nullptr;
    QPushButton* m_browse = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_share = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tapelink
