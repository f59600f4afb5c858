// The archive catalogue's costs, timed inside one process so the ratios leave out process start-up:
//   bench_catalogue fill ARCHIVE COUNT      adds COUNT made-up rows to the archive's catalogue
//   bench_catalogue marks ARCHIVE PHONE     the scan of the telephone, then its marks from the catalogue
//   bench_catalogue reconcile ARCHIVE       one opening and reconciliation, nothing printed
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/SyntheticRecord.h"
#include "catalogue/ArchiveMarks.h"
#include "catalogue/CatalogueReconciler.h"
#include "phone/CatalogueScan.h"
#include "platform/SqliteCatalogueOpener.h"

using namespace tapelink;

namespace {

class Collect : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override { entries.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int) override { entries.push_back(entry); }
    std::vector<RecordingEntry> entries;
};

class Quiet : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon) override {}
};

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int fill(const std::string& archive, int count) {
    SqliteCatalogueOpener opener;
    auto catalogue = opener.open(archive, CatalogueAccess::ReadWrite).catalogue;
    if (!catalogue) return 1;
    CatalogueChanges changes;
    for (int i = 0; i < count; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%02d%02d%02d%02d%02d", i % 100, i % 12 + 1, i % 28 + 1, i % 24, i % 60);
        // Present rows without files: the marks read the catalogue as it stands, without reconciling.
        changes.upserts.push_back(syntheticRecord(i, 'B', std::to_string(13800000000LL + i), key));
    }
    return catalogue->apply(changes) == CatalogueStatus::Ok ? 0 : 1;
}

int marks(const std::string& archive, const std::string& phone) {
    double scanBest = 1e9;
    double marksBest = 1e9;
    std::size_t archived = 0;
    for (int run = 0; run < 5; ++run) {
        auto start = std::chrono::steady_clock::now();
        Collect list;
        PhoneIndexHeader header;
        Quiet quiet;
        ScanCatalogue(phone, header, list, quiet);
        scanBest = std::min(scanBest, msSince(start));

        start = std::chrono::steady_clock::now();
        SqliteCatalogueOpener opener;
        auto catalogue = opener.open(archive, CatalogueAccess::ReadOnly).catalogue;
        if (!catalogue) return 1;
        archived = 0;
        ArchiveMarker marker(*catalogue, {});
        catalogue->withSnapshot([&] {
            for (const RecordingEntry& entry : list.entries) {
                if (marker.lookUp(entry).mark == ArchiveMark::Archived) ++archived;
            }
        });
        marksBest = std::min(marksBest, msSince(start));
    }
    std::printf("marks: %zu of the listed recordings archived\n", archived);
    std::printf("marks: scan %.1f ms, marks %.1f ms (target < 50 ms), ratio marks/scan %.2f\n", scanBest, marksBest,
                marksBest / scanBest);
    return 0;
}

int reconcile(const std::string& archive) {
    SqliteCatalogueOpener opener;
    auto catalogue = opener.open(archive, CatalogueAccess::ReadWrite).catalogue;
    if (!catalogue) return 1;
    return reconcileCatalogue(*catalogue, archive, {}).status == CatalogueStatus::Ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fill" && argc == 4) return fill(argv[2], std::atoi(argv[3]));
    if (mode == "marks" && argc == 4) return marks(argv[2], argv[3]);
    if (mode == "reconcile" && argc == 3) return reconcile(argv[2]);
    std::fprintf(stderr, "usage: bench_catalogue fill ARCHIVE COUNT | marks ARCHIVE PHONE | reconcile ARCHIVE\n");
    return 2;
}
