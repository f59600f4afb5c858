#include "retention/ui/CExpiredDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"
#include "retention/ui/RetentionTexts.h"

namespace tapelink {

namespace {

constexpr std::int64_t kDay = 86400;

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

CExpiredDlg::CExpiredDlg(std::vector<CatalogueRecord> rows, int purgeDays, QWidget* parent)
    : QDialog(parent), m_rows(std::move(rows)) {
    setObjectName(QStringLiteral("expired"));
    setWindowTitle(QStringLiteral("已过期的录音"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());
    resize(dialogUnits(380), dialogUnits(240));

    std::uint64_t bytes = 0;
    for (const CatalogueRecord& row : m_rows) bytes += row.size;
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(m_rows.empty() ? QStringLiteral("没有已过期的录音。")
                                              : QStringLiteral("%1 个已过期的录音，共 %2，过期 %3 天后永久删除。")
                                                    .arg(m_rows.size())
                                                    .arg(sizeText(bytes))
                                                    .arg(purgeDays),
                               this);
    summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary);

    m_table = new QTableWidget(static_cast<int>(m_rows.size()), 5, this);
    m_table->setObjectName(QStringLiteral("expiredList"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("文件名"), QStringLiteral("开始时间"),
                                        QStringLiteral("文件长度"), QStringLiteral("过期日期"),
                                        QStringLiteral("永久删除日期")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const CatalogueRecord& record = m_rows[static_cast<std::size_t>(row)];
        m_table->setItem(row, 0, cell(QString::fromStdString(record.fileName)));
        m_table->setItem(row, 1, cell(callStartText(record.startKey)));
        m_table->setItem(row, 2, cell(sizeText(record.size)));
        m_table->setItem(row, 3, cell(dateText(record.expiredAt)));
        m_table->setItem(row, 4, cell(dateText(record.expiredAt + purgeDays * kDay)));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    auto* buttons = new QHBoxLayout;
    m_restore = new QPushButton(QStringLiteral("恢复"), this);
    m_restore->setObjectName(QStringLiteral("restore"));
    m_purge = new QPushButton(QStringLiteral("清空"), this);
    m_purge->setObjectName(QStringLiteral("purge"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("2"));
    close->setDefault(true);
    buttons->addWidget(m_restore);
    buttons->addWidget(m_purge);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    m_restore->setEnabled(false);
    m_purge->setEnabled(!m_rows.empty());
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_restore->setEnabled(!m_table->selectedItems().isEmpty()); });
    connect(m_restore, &QPushButton::clicked, this, [this] { choose(Choice::Action::Restore); });
    connect(m_purge, &QPushButton::clicked, this, [this] { choose(Choice::Action::Purge); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CExpiredDlg::choose(Choice::Action action) {
    m_choice.action = action;
    m_choice.names.clear();
    if (action == Choice::Action::Restore) {
        std::set<int> chosen;
        for (const QTableWidgetItem* item : m_table->selectedItems()) chosen.insert(item->row());
        for (const int row : chosen) m_choice.names.push_back(m_rows[static_cast<std::size_t>(row)].fileName);
    }
    // The dialog only closes here; the caller acts once it is gone.
    accept();
}

CExpiredDlg::Choice CExpiredDlg::ask(const std::vector<CatalogueRecord>& rows, int purgeDays, QWidget* parent) {
    CExpiredDlg dialog(rows, purgeDays, parent);
    dialog.exec();
    return dialog.choice();
}

}  // namespace tapelink
