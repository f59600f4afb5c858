#include "team/TeamHeldRecordings.h"

#include "catalogue/ArchiveMarks.h"

namespace tapelink {

TeamStatus teamHeldRecordings(ITeamArchive& server, const std::string& desk, IArchiveCatalogue& catalogue,
                              const std::vector<RecordingEntry>& entries, std::set<std::string>& out) {
    std::vector<std::string> digests;
    std::vector<CatalogueRecord> rows;
    for (const RecordingEntry& entry : entries) {
        if (catalogue.findByContent(contentKeyOf(entry), rows) != CatalogueStatus::Ok) continue;
        for (const CatalogueRecord& row : rows) {
            if (!row.sha256.empty()) digests.push_back(row.sha256);
        }
    }
    return server.held(desk, digests, out);
}

}  // namespace tapelink
