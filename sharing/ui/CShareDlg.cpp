#include "sharing/ui/CShareDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/ui/DialogFont.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxSink.h"
#include "sharing/ui/ShareJob.h"

namespace tapelink {

namespace {

QString local(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString megabytes(std::uint64_t size) {
    return QString::number(static_cast<double>(size) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

}  // namespace

CShareDlg::CShareDlg(std::vector<ShareItem> items, std::vector<std::string> protectedFolders, IShareTools& tools,
                     QWidget* parent, IMessageSink* messages)
    : QDialog(parent),
      m_items(std::move(items)),
      m_protected(std::move(protectedFolders)),
      m_ownSink(messages == nullptr ? std::make_unique<MessageBoxSink>(this) : nullptr),
      m_messages(messages != nullptr ? *messages : *m_ownSink),
      m_job(new ShareJob(tools, this)) {
    setObjectName(QStringLiteral("share"));
    setWindowTitle(QStringLiteral("分享录音"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("分享选中的 %1 个录音").arg(m_items.size()), this));

    auto* format = new QGroupBox(QStringLiteral("格式"), this);
    auto* formatRow = new QHBoxLayout(format);
    m_mp3 = new QRadioButton(QStringLiteral("MP3（手机和电脑都能播放）"), format);
    m_mp3->setObjectName(QStringLiteral("mp3"));
    m_wav = new QRadioButton(QStringLiteral("原始WAV"), format);
    m_wav->setObjectName(QStringLiteral("wav"));
    m_mp3->setChecked(true);
    formatRow->addWidget(m_mp3);
    formatRow->addWidget(m_wav);
    layout->addWidget(format);

    auto* target = new QGroupBox(QStringLiteral("保存为"), this);
    auto* targetGrid = new QGridLayout(target);
    m_zip = new QRadioButton(QStringLiteral("压缩包（zip）"), target);
    m_zip->setObjectName(QStringLiteral("zip"));
    m_folder = new QRadioButton(QStringLiteral("文件夹"), target);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_zip->setChecked(true);
    m_target = new QLineEdit(target);
    m_target->setObjectName(QStringLiteral("target"));
    m_target->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QLatin1Char('M')) * 36);
    m_browse = new QPushButton(QStringLiteral("浏览…"), target);
    m_browse->setObjectName(QStringLiteral("browse"));
    targetGrid->addWidget(m_zip, 0, 0);
    targetGrid->addWidget(m_folder, 0, 1);
    targetGrid->addWidget(m_target, 1, 0, 1, 2);
    targetGrid->addWidget(m_browse, 1, 2);
    layout->addWidget(target);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, static_cast<int>(m_items.size()));
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    layout->addWidget(m_status);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_share = new QPushButton(QStringLiteral("分享"), this);
    m_share->setObjectName(QStringLiteral("share"));
    m_share->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(m_share);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"));
    m_target->setText(QDir::home().filePath(QStringLiteral("录音分享_%1.zip").arg(stamp)));

    connect(m_folder, &QRadioButton::toggled, this, &CShareDlg::targetKindChanged);
    connect(m_browse, &QPushButton::clicked, this, &CShareDlg::browse);
    connect(m_share, &QPushButton::clicked, this, &CShareDlg::startShare);
    connect(m_cancel, &QPushButton::clicked, this, &CShareDlg::reject);
    connect(m_job, &ShareJob::progress, this, &CShareDlg::onProgress);
    connect(m_job, &ShareJob::finished, this, &CShareDlg::onFinished);
}

CShareDlg::~CShareDlg() = default;

SharePlan CShareDlg::plan() const {
    SharePlan plan;
    plan.items = m_items;
    plan.format = m_wav->isChecked() ? ShareFormat::Wav : ShareFormat::Mp3;
    plan.target = m_folder->isChecked() ? ShareTarget::Folder : ShareTarget::Zip;
    plan.targetPath = native(m_target->text().trimmed());
    plan.protectedFolders = m_protected;
    return plan;
}

void CShareDlg::targetKindChanged() {
    // The suggested name follows the choice: "x.zip" for a zip, "x" for a folder.
    QString path = m_target->text().trimmed();
    if (m_folder->isChecked() && path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
        path.chop(4);
    else if (m_zip->isChecked() && !path.isEmpty() && !path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".zip");
    }
    m_target->setText(path);
}

void CShareDlg::browse() {
    QString chosen;
    if (m_folder->isChecked()) {
        chosen = chooseExistingFolder(this, QStringLiteral("选择保存分享的文件夹"), QFileInfo(m_target->text()).path());
    } else {
        QFileDialog dialog(this, QStringLiteral("保存压缩包"), m_target->text(), QStringLiteral("压缩包 (*.zip)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("zip"));
        prepareFileDialog(dialog);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().first();
        }
    }
    if (!chosen.isEmpty()) m_target->setText(QDir::toNativeSeparators(chosen));
}

void CShareDlg::startShare() {
    if (m_job->isRunning()) return;
    m_running = plan();
    if (m_running.targetPath.empty()) {
        m_messages.showMessage("请选择分享的保存位置。");
        return;
    }
    m_progress->setValue(0);
    if (m_job->start(m_running)) setWorking(true);
}

void CShareDlg::onProgress(int index, int count, const QString& name) {
    m_progress->setMaximum(count);
    m_progress->setValue(index);
    m_status->setText(QStringLiteral("正在转换 %1/%2：%3").arg(index + 1).arg(count).arg(name));
}

void CShareDlg::onFinished(const ShareReport& report) {
    setWorking(false);
    if (report.outcome != ShareOutcome::Written) {
        m_status->setText(QString::fromStdString(report.message));
        if (report.outcome == ShareOutcome::Failed) m_messages.showMessage(report.message);
        return;
    }
    m_progress->setValue(m_progress->maximum());
    m_status->setText(QStringLiteral("已分享 %1 个录音（%2）").arg(report.names.size()).arg(megabytes(report.size)));
    if (m_offer) m_offer(report, m_running, this);
    accept();
}

void CShareDlg::setWorking(bool working) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_mp3, m_wav, m_zip, m_folder, m_target, m_browse, m_share}) {
        control->setEnabled(!working);
    }
    m_cancel->setText(working ? QStringLiteral("停止") : QStringLiteral("取消"));
}

void CShareDlg::reject() {
    // While the share runs, 停止 (or closing) stops it first; it then leaves nothing behind.
    if (m_job->isRunning()) {
        m_job->cancel();
        m_status->setText(QStringLiteral("正在停止…"));
        return;
    }
    QDialog::reject();
}

void CShareDlg::offerDesktop(const ShareReport& report, const SharePlan& plan, QWidget* owner) {
    const bool zip = plan.target == ShareTarget::Zip;
    const QString target = local(plan.targetPath);
    QString text =
        QStringLiteral("已分享 %1 个录音到：\n%2（%3）").arg(report.names.size()).arg(target, megabytes(report.size));
    if (zip) {
        if (const std::string warning = mailLimitWarning(report.size); !warning.empty()) {
            text += QStringLiteral("\n\n") + QString::fromStdString(warning);
        }
    }
    QMessageBox box(owner);
    MessageBoxSink::prepare(box, text.toStdString(), MessageIcon::Information);
    // The three choices stand in for the box's own 确定.
    box.setStandardButtons(QMessageBox::NoButton);
    QPushButton* open = box.addButton(QStringLiteral("打开文件夹"), QMessageBox::AcceptRole);
    open->setObjectName(QStringLiteral("openFolder"));
    QPushButton* mail = nullptr;
    if (zip) {
        mail = box.addButton(QStringLiteral("用邮件发送"), QMessageBox::AcceptRole);
        mail->setObjectName(QStringLiteral("mail"));
    }
    box.addButton(QStringLiteral("关闭"), QMessageBox::RejectRole);
    box.exec();
    const QString folder = zip ? QFileInfo(target).absolutePath() : target;
    if (box.clickedButton() == open) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    if (mail != nullptr && box.clickedButton() == mail) {
        QProcess::startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--attach"), target});
    }
}

}  // namespace tapelink
