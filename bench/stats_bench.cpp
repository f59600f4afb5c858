// Statistics over a large catalogue, timed inside one process:
//   bench_stats fill ARCHIVE COUNT           adds COUNT made-up rows over three years to the archive's catalogue
//   bench_stats query ARCHIVE FROM TO BY     best of 5 of the statistics (day|week|month), in milliseconds
//   bench_stats sql FROM TO                  the statements the catalogue runs, bounds filled in, for sqlite3
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/SyntheticRecord.h"
#include "platform/SqliteCallFigures.h"
#include "platform/SqliteCatalogueOpener.h"
#include "statistics/CallStatisticsQuery.h"

using namespace tapelink;

namespace {

int fill(const std::string& archive, int count) {
    SqliteCatalogueOpener opener;
    CatalogueOpening opening = opener.open(archive, CatalogueAccess::ReadWrite);
    if (!opening.catalogue) return 1;
    CatalogueChanges changes;
    const char kinds[] = {'A', 'A', 'A', 'I', 'C', 'B'};
    for (int i = 0; i < count; ++i) {
        char key[16];
        // Three years of calls, any day of the month a calendar has.
        std::snprintf(key, sizeof key, "%02d%02d%02d%02d%02d", 23 + i % 3, i % 12 + 1, i % 28 + 1, i % 24, i % 60);
        CatalogueRecord record =
            syntheticRecord(i, i % 2 == 0 ? 'Z' : 'B', std::to_string(13800000000LL + i % 5000), key);
        record.kind = std::string(1, kinds[i % 6]);
        changes.upserts.push_back(std::move(record));
    }
    if (opening.catalogue->apply(changes) != CatalogueStatus::Ok) return 1;
    std::vector<Contact> contacts;
    for (int i = 0; i < 500; ++i)
        contacts.push_back({0, "联系人" + std::to_string(i), {std::to_string(13800000000LL + i)}, ""});
    ContactImportCounts counts;
    return opening.phonebook->import(contacts, counts) == CatalogueStatus::Ok ? 0 : 1;
}

SearchDateTime dateOf(const char* text) {
    SearchDateTime date;
    std::sscanf(text, "%d-%d-%d", &date.year, &date.month, &date.day);
    return date;
}

int query(const std::string& archive, const char* from, const char* to, const std::string& by) {
    SqliteCatalogueOpener opener;
    CatalogueOpening opening = opener.open(archive, CatalogueAccess::ReadOnly);
    if (!opening.catalogue) return 1;
    StatisticsRequest request{dateOf(from), dateOf(to),
                              by == "week"    ? StatisticsGrouping::Week
                              : by == "month" ? StatisticsGrouping::Month
                                              : StatisticsGrouping::Day};
    double best = 1e9;
    CallStatistics statistics;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (readCallStatistics(*opening.catalogue, opening.phonebook.get(), request, statistics) !=
            CatalogueStatus::Ok) {
            return 1;
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("%.1f %lld %zu\n", best, static_cast<long long>(statistics.totals.count()), statistics.periods.size());
    return 0;
}

// The statement with its two bounds as literals.
std::string filled(std::string sql, const std::string& from, const std::string& to) {
    for (const auto& [mark, value] : {std::pair{std::string("?1"), from}, std::pair{std::string("?2"), to}}) {
        sql.replace(sql.find(mark), mark.size(), "'" + value + "'");
    }
    return sql;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "fill" && argc == 4) return fill(argv[2], std::atoi(argv[3]));
    if (command == "query" && argc == 6) return query(argv[2], argv[3], argv[4], argv[5]);
    if (command == "sql" && argc == 4) {
        const std::string from = startBound(dateOf(argv[2]));
        const std::string to = endBound(dateOf(argv[3]));
        std::printf("%s;\n%s;\n", filled(sqliteCallFigureDaysSql(), from, to).c_str(),
                    filled(sqliteCallFigureNumbersSql(), from, to).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: bench_stats fill ARCHIVE COUNT | query ARCHIVE FROM TO BY | sql FROM TO\n");
    return 2;
}
