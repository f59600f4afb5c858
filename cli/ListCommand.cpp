#include "cli/ListCommand.h"

#include <iostream>

#include "archive/ArchiveMarks.h"
#include "cli/ArchiveAccess.h"
#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/TsvRowWriter.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneListRow.h"
#include "phone/VolumeMessages.h"

namespace tapelink::cli {

namespace {

constexpr const char* kNoValidIndex =
    "The telephone's index system/phone.bin is missing or damaged: no recordings are listed.";

// Prints each row as the scan finds it, so a large telephone is listed without holding it in memory.
class StreamingTableView : public ICatalogueView {
public:
    // marked: each row gets the archive's mark as a ninth cell, empty without a catalogue.
    StreamingTableView(bool marked, IArchiveCatalogue* catalogue) : m_marked(marked), m_catalogue(catalogue) {}
    void setStatusText(const std::string&) override {}
    void clearRows() override {}
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        const RecordingRow row = phoneListRow(entry, position);
        if (!m_marked) {
            m_writer.write(row);
            return;
        }
        std::array<std::string, kRecordingColumnCount + 1> marked;
        std::copy(row.begin(), row.end(), marked.begin());
        if (m_catalogue != nullptr) marked.back() = archiveMarkText(archiveMarkOf(*m_catalogue, entry));
        m_writer.write(marked);
    }

private:
    bool m_marked;
    IArchiveCatalogue* m_catalogue;
    TsvRowWriter m_writer;
};

}  // namespace

ListCommand::ListCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("list", "Print the recordings on the telephone")), m_context(context) {
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_command->add_flag("--archived", m_archived, "Add a ninth cell: 已存档, 同名不同 or empty");
    m_command->add_option("--to", m_to, "Archive (upload) folder for --archived (default: the stored one)")
        ->needs("--archived");
}

int ListCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    // A read-only telephone is listed in full; being told so is no failure of the listing.
    FailureTrackingSink messages(m_context.messages, kPhoneReadOnly);
    OpenArchive archive;
    if (m_archived) {
        const std::string folder = archiveFolderOr(m_to);
        if (folder.empty()) {
            std::cerr << "No upload folder: give --to DIR, or pick one in the window first.\n";
            return kExitUsage;
        }
        archive = openArchive(folder, messages);
    }
    ScanResult result;
    if (m_json) {
        PhoneList list = scanPhoneList(root, messages);
        const auto& titles = recordingColumnTitles();
        std::vector<std::string> heads(titles.begin(), titles.end());
        if (m_archived) {
            heads.push_back(kArchiveColumnTitle);
            for (std::size_t i = 0; i < list.rows.size(); ++i) {
                list.rows[i].push_back(
                    archive.catalogue ? archiveMarkText(archiveMarkOf(*archive.catalogue, list.entries[i])) : "");
            }
        }
        printRows(heads, list.rows, true);
        result = list.result;
    } else {
        PhoneIndexHeader header;
        // Without a catalogue (a read-only folder never catalogued) the ninth cell stays empty.
        StreamingTableView view(m_archived, archive.catalogue.get());
        const auto scan = [&] { result = ScanCatalogue(root, header, view, messages); };
        if (archive.catalogue) {
            archive.catalogue->withSnapshot(scan);
        } else {
            scan();
        }
    }
    const bool failed = messages.failed();
    // The window shows such a telephone as an empty list; a script must be told why nothing came.
    if (!result.indexValid) std::cerr << kNoValidIndex << '\n';
    return failed ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
