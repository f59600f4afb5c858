// Exports the benchmark list through ExcelExporter and the xlsx backend and prints the milliseconds
// the export took. bench/export.sh compares it with export_baseline.
#include <chrono>
#include <cstdio>
#include <iostream>

#include "bench/ExportBenchRows.h"
#include "common/IMessageSink.h"
#include "export/ExcelExporter.h"
#include "export/TextTable.h"
#include "platform/XlsxSpreadsheet.h"

namespace {

class PrintedMessages : public tapelink::IMessageSink {
public:
    void showMessage(const std::string& text, tapelink::MessageIcon) override { std::cerr << text << '\n'; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.xlsx\n", argv[0]);
        return 2;
    }
    const tapelink::TextTable list(tapelink::bench::benchTitles(), tapelink::bench::benchRows());
    PrintedMessages messages;
    const auto start = std::chrono::steady_clock::now();
    tapelink::XlsxSpreadsheet spreadsheet(argv[1]);
    const bool exported = tapelink::ExcelExporter(messages).ExportList(list, spreadsheet);
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    if (!exported) return 1;
    std::printf("%.2f\n", elapsed.count());
    return 0;
}
