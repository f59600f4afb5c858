#pragma once

#include <QDate>
#include <QDialog>
#include <memory>
#include <string>
#include <thread>

#include "catalogue/IArchiveCatalogue.h"
#include "statistics/CallStatistics.h"
#include "statistics/ITeamCallFigures.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QDateTimeEdit;
class QLabel;
class QTableWidget;

namespace tapelink {

class CallChart;

// "统计": how the telephone was used over a range of days, counted by the archive's catalogue. The search's
// calendar fields and a grouping (按日/按周/按月) choose the periods; the chart shows the calls of each, the
// line under it their totals, and the two lists below the numbers called and calling most. A double click
// on a number asks for the search of that number. Counting runs on a worker; only this thread touches the
// controls.
//
// Object names: "from", "to", "grouping", "count" (统计), "export" (导出EXCEL), "callChart", "summary",
// "mostCalled", "mostCalling"; on a team desk "team" (团队存档: the desks the person may hear, counted by
// the server, instead of this archive).
class CStatisticsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTopNumbers = 10;

    CStatisticsDlg(IArchiveCatalogueOpener& catalogues, std::string archiveFolder, QWidget* parent = nullptr);
    ~CStatisticsDlg() override;

    // The figures shown now (empty until the first count is done).
    const CallStatistics& statistics() const { return m_statistics; }
    const CallChart& chart() const { return *m_chart; }
    QDate fromDate() const;
    QDate toDate() const;
    const std::string& archiveFolder() const { return m_folder; }

    // Offers the team archive's figures beside this archive's; without it the window is as on any desk.
    void setTeamFigures(std::shared_ptr<ITeamCallFigures> team);

public slots:
    // Counts again with the fields' range and grouping; the figures follow with counted().
    void Recount();

signals:
    void counted();
    void searchRequested(const QString& number);
    void exportRequested();

private:
    void buildControls();
    void showFigures(int generation, CatalogueStatus status, bool found, CallStatistics statistics);
    void fillNumbers(QTableWidget& table, const std::vector<NumberFigures>& numbers, bool outgoing);

    IArchiveCatalogueOpener& m_catalogues;
    std::string m_folder;
    CallStatistics m_statistics;
    int m_generation = 0;
    QDateTimeEdit* m_from = nullptr;
    QDateTimeEdit* m_to = nullptr;
    QComboBox* m_grouping = nullptr;
    QHBoxLayout* m_criteria = nullptr;
    QCheckBox* m_team = nullptr;
    std::shared_ptr<ITeamCallFigures> m_teamFigures;
    CallChart* m_chart = nullptr;
    QLabel* m_summary = nullptr;
    QTableWidget* m_mostCalled = nullptr;
    QTableWidget* m_mostCalling = nullptr;
    std::jthread m_worker;  // last: joined before anything it reports to goes
};

}  // namespace tapelink
