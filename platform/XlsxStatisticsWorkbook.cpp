#include "platform/XlsxStatisticsWorkbook.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "statistics/StatisticsTable.h"

namespace tapelink {

namespace {

constexpr const char* kPeriodSheet = "按时段";
constexpr const char* kNumberSheet = "按号码";

// Titles and rows, the first textColumns cells of a row as text and the rest as numbers (for sums and the chart).
void writeTable(lxw_worksheet* sheet, const std::vector<std::string>& titles,
                const std::vector<std::vector<std::string>>& rows, std::size_t textColumns, lxw_format* bold) {
    for (std::size_t c = 0; c < titles.size(); ++c) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), titles[c].c_str(), bold);
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), c == 0 ? 14 : 12, nullptr);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            if (c < textColumns) {
                worksheet_write_string(sheet, row, column, rows[r][c].c_str(), nullptr);
            } else {
                worksheet_write_number(sheet, row, column, std::strtod(rows[r][c].c_str(), nullptr), nullptr);
            }
        }
    }
}

// The chart of the periods (rows 1 to count of the period sheet): one series per stacked part.
void addChart(lxw_workbook* workbook, std::size_t count) {
    lxw_chart* chart = workbook_add_chart(workbook, LXW_CHART_COLUMN_STACKED);
    const auto last = static_cast<lxw_row_t>(count);
    // Columns of the period sheet: 主叫, 被叫 (calls and voice messages), 本地录音; together every recording.
    for (const auto& [column, name] : {std::pair{3, "主叫"}, std::pair{4, "被叫"}, std::pair{7, "本地录音"}}) {
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(series, kPeriodSheet, 1, 0, last, 0);
        chart_series_set_values(series, kPeriodSheet, 1, static_cast<lxw_col_t>(column), last,
                                static_cast<lxw_col_t>(column));
        chart_series_set_name(series, name);
    }
    chart_title_set_name(chart, "通话次数");
    chart_axis_set_name(chart->y_axis, "次数");
    lxw_chartsheet* sheet = workbook_add_chartsheet(workbook, "图表");
    chartsheet_set_chart(sheet, chart);
}

}  // namespace

bool writeStatisticsWorkbook(const std::string& path, const CallStatistics& statistics, std::string& error) {
    // A new file beside the target (with the permissions the umask gives any new file), renamed at the end.
    std::string writing;
    std::random_device random;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        writing = path + "." + std::to_string(random());
        fd = ::open(writing.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = "无法创建表格文件：" + path + "（" + std::strerror(errno) + "）";
        return false;
    }
    ::close(fd);

    lxw_workbook* workbook = workbook_new(writing.c_str());
    if (workbook == nullptr) {
        ::unlink(writing.c_str());
        error = "无法创建工作簿：" + path;
        return false;
    }
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    writeTable(workbook_add_worksheet(workbook, kPeriodSheet), periodTitles(DurationForm::Seconds),
               periodRows(statistics, DurationForm::Seconds), 1, bold);
    writeTable(workbook_add_worksheet(workbook, kNumberSheet), numberTitles(DurationForm::Seconds),
               numberRows(statistics.numbers, DurationForm::Seconds), 2, bold);
    if (!statistics.periods.empty()) addChart(workbook, statistics.periods.size());
    const lxw_error result = workbook_close(workbook);
    fd = result == LXW_NO_ERROR ? ::open(writing.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    const bool flushed = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (result != LXW_NO_ERROR || !flushed || ::rename(writing.c_str(), path.c_str()) != 0) {
        error = "写入表格文件失败：" + path + "（" +
                (result != LXW_NO_ERROR ? lxw_strerror(result) : std::strerror(errno)) + "）";
        ::unlink(writing.c_str());
        return false;
    }
    return true;
}

}  // namespace tapelink
