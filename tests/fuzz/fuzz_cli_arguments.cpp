// The command line's own parsers: search dates and row lists. An accepted date is a real date in the
// searchable range that prints and parses back to itself; an accepted row list names only rows of the
// list, ascending and without repeats.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/RowList.h"
#include "cli/SearchArguments.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int rowCount = data[0] | ((data[1] & 0x0F) << 8);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    if (const auto date = cli::parseSearchDate(text)) {
        FUZZ_CHECK(*date >= kEarliestSearchDate && *date <= kLatestSearchDate);
        FUZZ_CHECK(date->month >= 1 && date->month <= 12 && date->day >= 1 && date->day <= 31);
        FUZZ_CHECK(date->hour <= 23 && date->minute <= 59 && date->second <= 59);
        char printed[32];
        std::snprintf(printed, sizeof printed, "%04d-%02d-%02d %02d:%02d:%02d", date->year, date->month, date->day,
                      date->hour, date->minute, date->second);
        FUZZ_CHECK(cli::parseSearchDate(printed) == date);
        FUZZ_CHECK(startBound(*date).size() == endBound(*date).size());
    }
    if (const auto side = cli::parseSide(text)) FUZZ_CHECK(text == "all" || text == "caller" || text == "called");
    if (const auto kind = cli::parseKind(text)) FUZZ_CHECK(text.size() >= 3 && text.size() <= 7);

    std::vector<int> rows;
    std::string error;
    if (cli::parseRowList(text, rowCount, rows, error)) {
        FUZZ_CHECK(!rows.empty());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            FUZZ_CHECK(rows[i] >= 0 && rows[i] < rowCount);
            if (i > 0) FUZZ_CHECK(rows[i - 1] < rows[i]);
        }
    } else {
        FUZZ_CHECK(!error.empty());
    }
    return 0;
}
