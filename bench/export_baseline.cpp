// The least work that writing the export's workbook can do: the finished cell texts and column widths
// are prepared beforehand, then libxlsxwriter writes them in the exporter's order with one centred
// style. Prints the milliseconds the writing took.
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/ExportBenchRows.h"

namespace {

struct Cell {
    lxw_row_t row;
    lxw_col_t column;
    std::string text;
};

int width(const std::string& text) {
    int units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // The benchmark's texts are ASCII and three-byte Chinese characters.
        units += lead < 0x80 ? 1 : 2;
        i += lead < 0x80 ? 1 : 3;
    }
    return units;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.xlsx\n", argv[0]);
        return 2;
    }
    const auto titles = tapelink::bench::benchTitles();
    const auto rows = tapelink::bench::benchRows();
    const lxw_col_t exported = 6;
    std::vector<Cell> cells;
    for (lxw_col_t k = 0; k < exported; ++k) cells.push_back({0, k, titles[k]});
    // The caller's name and the remark follow, empty on a list without a phonebook or notes.
    cells.push_back({0, exported, "姓名"});
    cells.push_back({0, exported + 1, "备注"});
    for (lxw_row_t m = 0; m < rows.size(); ++m) {
        cells.push_back({m + 1, exported, ""});
        cells.push_back({m + 1, exported + 1, ""});
    }
    for (lxw_col_t k = 0; k < exported; ++k) {
        if (k == 3) continue;
        for (lxw_row_t m = 0; m < rows.size(); ++m) {
            if (k == 2) cells.push_back({m + 1, 3, rows[m][3]});
            cells.push_back({m + 1, k, k == 2 ? " " + rows[m][2] : rows[m][k]});
        }
    }
    std::vector<int> widths(exported + 2, 0);
    for (const Cell& cell : cells) widths[cell.column] = std::max(widths[cell.column], width(cell.text));

    const auto start = std::chrono::steady_clock::now();
    lxw_workbook* workbook = workbook_new(argv[1]);
    lxw_format* centred = workbook_add_format(workbook);
    format_set_align(centred, LXW_ALIGN_CENTER);
    format_set_align(centred, LXW_ALIGN_VERTICAL_CENTER);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    for (const Cell& cell : cells) {
        if (cell.text.empty()) {
            worksheet_write_blank(sheet, cell.row, cell.column, centred);
        } else {
            worksheet_write_string(sheet, cell.row, cell.column, cell.text.c_str(), centred);
        }
    }
    for (lxw_col_t k = 0; k <= exported + 1; ++k) worksheet_set_column(sheet, k, k, widths[k] + 1, centred);
    if (workbook_close(workbook) != LXW_NO_ERROR) return 1;
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::printf("%.2f\n", elapsed.count());
    return 0;
}
