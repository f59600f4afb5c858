#include "statistics/ui/CStatisticsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueSession.h"
#include "recording/DisplayText.h"
#include "search/ui/SearchDatePicker.h"
#include "statistics/CallStatisticsQuery.h"
#include "statistics/ui/CallChart.h"

namespace tapelink {

namespace {

constexpr const char* kNoCatalogue = "这个上传路径还没有存档索引：上传录音后即可统计。";

SearchDateTime dateOf(const QDate& date) {
    return {date.year(), date.month(), date.day(), 0, 0, 0};
}

QTableWidget* numberTable(QWidget* parent, const char* name) {
    auto* table = new QTableWidget(0, 4, parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("电话号码"), QStringLiteral("姓名"), QStringLiteral("次数"), QStringLiteral("总时长")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

}  // namespace

CStatisticsDlg::CStatisticsDlg(IArchiveCatalogueOpener& catalogues, std::string archiveFolder, QWidget* parent)
    : QDialog(parent), m_catalogues(catalogues), m_folder(std::move(archiveFolder)) {
    setWindowTitle(QStringLiteral("统计"));
    buildControls();
    resize(720, 560);
    Recount();
}

CStatisticsDlg::~CStatisticsDlg() = default;

void CStatisticsDlg::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* criteria = new QHBoxLayout;
    m_criteria = criteria;
    m_from = makeSearchDatePicker(this);
    m_from->setObjectName(QStringLiteral("from"));
    m_from->setDateTime(QDateTime(QDate(2010, 3, 1), QTime(0, 0)));
    m_to = makeSearchDatePicker(this);
    m_to->setObjectName(QStringLiteral("to"));
    m_to->setDateTime(QDateTime::currentDateTime());
    m_grouping = new QComboBox(this);
    m_grouping->setObjectName(QStringLiteral("grouping"));
    m_grouping->addItems({QStringLiteral("按日"), QStringLiteral("按周"), QStringLiteral("按月")});
    m_grouping->setCurrentIndex(2);
    auto* count = new QPushButton(QStringLiteral("统计"), this);
    count->setObjectName(QStringLiteral("count"));
    auto* exportButton = new QPushButton(QStringLiteral("导出EXCEL"), this);
    exportButton->setObjectName(QStringLiteral("export"));
    criteria->addWidget(new QLabel(QStringLiteral("开始日期"), this));
    criteria->addWidget(m_from);
    criteria->addWidget(new QLabel(QStringLiteral("结束日期"), this));
    criteria->addWidget(m_to);
    criteria->addWidget(m_grouping);
    criteria->addStretch();
    criteria->addWidget(count);
    criteria->addWidget(exportButton);
    layout->addLayout(criteria);

    m_chart = new CallChart(this);
    layout->addWidget(m_chart, 3);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);

    auto* numbers = new QHBoxLayout;
    m_mostCalled = numberTable(this, "mostCalled");
    m_mostCalling = numberTable(this, "mostCalling");
    for (auto [table, title] :
         {std::pair{m_mostCalled, "最常拨打的号码（主叫）"}, std::pair{m_mostCalling, "最常来电的号码（被叫）"}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(QString::fromUtf8(title), this));
        column->addWidget(table);
        numbers->addLayout(column);
        connect(table, &QTableWidget::cellDoubleClicked, this, [this, table](int row, int) {
            if (QTableWidgetItem* item = table->item(row, 0)) emit searchRequested(item->text());
        });
    }
    layout->addLayout(numbers, 2);

    connect(count, &QPushButton::clicked, this, &CStatisticsDlg::Recount);
    connect(m_grouping, &QComboBox::currentIndexChanged, this, &CStatisticsDlg::Recount);
    connect(exportButton, &QPushButton::clicked, this, &CStatisticsDlg::exportRequested);
}

void CStatisticsDlg::setTeamFigures(std::shared_ptr<ITeamCallFigures> team) {
    m_teamFigures = std::move(team);
    if (!m_teamFigures || m_team != nullptr) return;
    m_team = new QCheckBox(QStringLiteral("团队存档"), this);
    m_team->setObjectName(QStringLiteral("team"));
    // After the grouping, before the stretch that keeps 统计 and 导出EXCEL at the right.
    m_criteria->insertWidget(m_criteria->indexOf(m_grouping) + 1, m_team);
    connect(m_team, &QCheckBox::toggled, this, &CStatisticsDlg::Recount);
}

QDate CStatisticsDlg::fromDate() const {
    return m_from->date();
}

QDate CStatisticsDlg::toDate() const {
    return m_to->date();
}

void CStatisticsDlg::Recount() {
    StatisticsRequest request;
    request.from = dateOf(fromDate());
    request.to = dateOf(toDate());
    request.grouping = static_cast<StatisticsGrouping>(m_grouping->currentIndex());
    const int generation = ++m_generation;
    m_summary->setText(QStringLiteral("正在统计…"));
    // A count still running is stopped waiting for: its figures would be dropped anyway.
    // The team's figures are the server's, named by this archive's phonebook when it can be read.
    std::shared_ptr<ITeamCallFigures> team = m_team != nullptr && m_team->isChecked() ? m_teamFigures : nullptr;
    m_worker = std::jthread([this, request, generation, team = std::move(team)] {
        CatalogueSession archive(m_catalogues, m_folder);
        const CatalogueStatus opened = archive.open(CatalogueAccess::ReadOnly);
        CallStatistics statistics;
        CatalogueStatus status = opened == CatalogueStatus::ReadOnly ? CatalogueStatus::Ok : opened;
        if (team) {
            IPhonebook* phonebook = archive.isOpen() ? archive.phonebook() : nullptr;
            status = readTeamCallStatistics(*team, {}, phonebook, request, statistics);
        } else if (archive.isOpen()) {
            status = readCallStatistics(*archive.catalogue(), archive.phonebook(), request, statistics);
        }
        const bool found = team || archive.isOpen();
        QMetaObject::invokeMethod(
            this,
            [this, generation, status, found, statistics = std::move(statistics)]() mutable {
                showFigures(generation, status, found, std::move(statistics));
            },
            Qt::QueuedConnection);
    });
}

void CStatisticsDlg::showFigures(int generation, CatalogueStatus status, bool found, CallStatistics statistics) {
    if (generation != m_generation) return;
    m_statistics = std::move(statistics);
    m_chart->setPeriods(m_statistics.periods);
    fillNumbers(*m_mostCalled, mostCalled(m_statistics.numbers, kTopNumbers), true);
    fillNumbers(*m_mostCalling, mostCalling(m_statistics.numbers, kTopNumbers), false);
    if (status != CatalogueStatus::Ok) {
        m_summary->setText(QString::fromStdString(catalogueFailureText(status)));
    } else if (!found) {
        m_summary->setText(QString::fromUtf8(kNoCatalogue));
    } else {
        const PeriodFigures& totals = m_statistics.totals;
        m_summary->setText(
            QStringLiteral("合计 %1 次，时长 %2；主叫 %3 次，被叫 %4 次（其中留言 %5 条），本地录音 %6 条")
                .arg(totals.count())
                .arg(QString::fromStdString(secondsText(totals.totalSeconds())))
                .arg(totals.outgoing())
                .arg(totals.incoming())
                .arg(totals.countOf(CallClass::Message))
                .arg(totals.countOf(CallClass::Local)));
    }
    emit counted();
}

void CStatisticsDlg::fillNumbers(QTableWidget& table, const std::vector<NumberFigures>& numbers, bool outgoing) {
    table.setRowCount(static_cast<int>(numbers.size()));
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const NumberFigures& number = numbers[i];
        const int row = static_cast<int>(i);
        table.setItem(row, 0, new QTableWidgetItem(QString::fromStdString(number.number)));
        table.setItem(row, 1, new QTableWidgetItem(QString::fromStdString(number.name)));
        table.setItem(row, 2,
                      new QTableWidgetItem(QString::number(outgoing ? number.outgoingCount : number.incomingCount)));
        table.setItem(row, 3,
                      new QTableWidgetItem(QString::fromStdString(
                          secondsText(outgoing ? number.outgoingSeconds : number.incomingSeconds))));
    }
}

}  // namespace tapelink
