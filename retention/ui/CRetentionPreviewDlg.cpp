#include "retention/ui/CRetentionPreviewDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"
#include "retention/ui/RetentionTexts.h"

namespace tapelink {

namespace {

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

CRetentionPreviewDlg::CRetentionPreviewDlg(const RetentionPreview& preview, int days, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("retentionPreview"));
    setWindowTitle(QStringLiteral("移出过期录音"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());
    resize(dialogUnits(360), dialogUnits(240));

    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(QStringLiteral("保留 %1 天：将把 %2 个录音（共 %3）移到存档的 .tapelink/expired/，"
                                              "可在“已过期的录音”中恢复。%4 个因有备注或标签而保留。")
                                   .arg(days)
                                   .arg(preview.candidates.size())
                                   .arg(sizeText(preview.bytes))
                                   .arg(preview.keptByNote),
                               this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    layout->addWidget(summary);

    m_table = new QTableWidget(static_cast<int>(preview.candidates.size()), 4, this);
    m_table->setObjectName(QStringLiteral("candidates"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("文件名"), QStringLiteral("开始时间"), QStringLiteral("文件长度"), QStringLiteral("来源")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const ExpiryCandidate& candidate = preview.candidates[static_cast<std::size_t>(row)];
        m_table->setItem(row, 0, cell(QString::fromStdString(candidate.fileName)));
        m_table->setItem(row, 1, cell(callStartText(candidate.startKey)));
        m_table->setItem(row, 2, cell(sizeText(candidate.size)));
        m_table->setItem(
            row, 3,
            cell(candidate.fromPhone ? QStringLiteral("电话（电话上的副本可能已清除）") : QStringLiteral("存档")));
        if (candidate.fromPhone) m_table->item(row, 3)->setForeground(QColor(180, 0, 0));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    if (preview.fromPhone > 0) {
        m_seen = new QCheckBox(QStringLiteral("我已看过：其中 %1 个录音复制自电话，电话上的副本可能已清除，"
                                              "存档中的可能是唯一一份")
                                   .arg(preview.fromPhone),
                               this);
        m_seen->setObjectName(QStringLiteral("seen"));
        layout->addWidget(m_seen);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_move = new QPushButton(QStringLiteral("移出"), this);
    m_move->setObjectName(QStringLiteral("1"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    // Enter alone moves nothing.
    cancel->setDefault(true);
    buttons->addWidget(m_move);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_move, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_move->setEnabled(!preview.candidates.empty() && m_seen == nullptr);
    if (m_seen != nullptr) {
        connect(m_seen, &QCheckBox::toggled, m_move,
                [this, any = !preview.candidates.empty()](bool seen) { m_move->setEnabled(any && seen); });
    }
}

bool CRetentionPreviewDlg::ask(const RetentionPreview& preview, int days, QWidget* parent) {
    CRetentionPreviewDlg dialog(preview, days, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tapelink
