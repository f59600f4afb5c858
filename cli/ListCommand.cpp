#include "cli/ListCommand.h"

#include <iostream>
#include <optional>

#include "archive/ArchiveMarks.h"
#include "archive/RecordingAnnotations.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/RecordingFields.h"
#include "cli/TsvRowWriter.h"
#include "export/SheetLayout.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneListRow.h"
#include "phone/VolumeMessages.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/SqliteArchiveCatalogue.h"

namespace tapelink::cli {

namespace {

// Prints each row as the scan finds it, so a large telephone is listed without holding it in memory.
class StreamingTableView : public ICatalogueView {
public:
    // marked: each row gets the archive's mark as a ninth cell, empty without a catalogue. names: each row
    // gets the contact's name as a last cell.
    StreamingTableView(bool marked, ArchiveMarker* marker, RecordingAnnotations* names)
        : m_marked(marked), m_marker(marker), m_names(names) {}
    void setStatusText(const std::string&) override {}
    void clearRows() override {}
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        const RecordingRow row = phoneListRow(entry, position);
        if (!m_marked && m_names == nullptr) {
            m_writer.write(row);
            return;
        }
        std::vector<std::string> cells(row.begin(), row.end());
        if (m_marked) {
            cells.push_back(m_marker != nullptr ? archiveMarkText(m_marker->markOf(entry)) : "");
        }
        if (m_names != nullptr) cells.push_back(m_names->nameFor(entry.phoneNumber));
        m_writer.write(cells);
    }

private:
    bool m_marked;
    ArchiveMarker* m_marker;
    RecordingAnnotations* m_names;
    TsvRowWriter m_writer;
};

struct ArchiveState {
    ArchiveMark mark = ArchiveMark::None;
    std::string sha256;  // of the archived copy with the same content, where there is one
};

ArchiveState archiveState(IArchiveCatalogue& catalogue, ArchiveMarker& marker, const RecordingEntry& entry) {
    ContentMatch match = marker.lookUp(entry);
    marker.confirmByContent(entry, match);
    ArchiveState state{match.mark, {}};
    std::optional<CatalogueRecord> record;
    if (match.mark == ArchiveMark::Archived && catalogue.findByName(match.archivedAs, record) == CatalogueStatus::Ok &&
        record) {
        state.sha256 = record->sha256;
    }
    return state;
}

const char* archiveStateWord(ArchiveMark mark) {
    switch (mark) {
        case ArchiveMark::Archived:
            return "archived";
        case ArchiveMark::SameNameDifferent:
            return "same-name-different";
        case ArchiveMark::None:
            break;
    }
    return "none";
}

}  // namespace

ListCommand::ListCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("list", "Print the recordings on the telephone")), m_context(context) {
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_command->add_flag("--archived", m_archived, "Add a ninth cell: 已存档, 同名不同 or empty");
    m_command->add_flag("--names", m_names, "Add the contact's name (from the archive's phonebook) as a last cell");
    ArchiveOption(*m_command, m_to, "Archive (upload) folder for --archived and the names (default: the stored one)",
                  true);
}

int ListCommand::run() {
    if (!m_to.empty() && !m_archived && !m_names && !m_json) {
        std::cerr << "--archive 需要与 --archived、--names 或 --json 一起使用。\n";
        return kExitUsage;
    }
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    // A read-only telephone is listed in full; being told so is no failure of the listing.
    FailureTrackingSink messages(m_context.messages, kPhoneReadOnly);
    const std::string folder = m_archived || m_names || m_json ? archiveFolderOr(m_to) : std::string();
    OpenArchive archive;
    if (m_archived) {
        if (folder.empty()) {
            std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
            return kExitUsage;
        }
        archive = openArchive(folder, messages);
    }
    // Names only read the phonebook: listing never creates a catalogue, and a missing archive means no names.
    std::unique_ptr<IArchiveCatalogue> phonebookSource;
    if (!archive.catalogue && !folder.empty() && (m_names || m_json)) {
        phonebookSource = SqliteCatalogueOpener().open(folder, CatalogueAccess::ReadOnly).catalogue;
    }
    IArchiveCatalogue* withPhonebook = archive.catalogue ? archive.catalogue.get() : phonebookSource.get();
    std::vector<Contact> contacts;
    if (withPhonebook != nullptr) withPhonebook->phonebook().contacts(contacts);
    const ContactDirectory directory(contacts);
    RecordingAnnotations names(directory, nullptr);
    std::optional<ArchiveMarker> marker;
    if (archive.catalogue) marker.emplace(*archive.catalogue, LinuxDeviceLocator().phoneSerial(root));
    ScanResult result;
    if (m_json) {
        PhoneList list = scanPhoneList(root, messages);
        if (!phoneListReadable(list.result, messages)) return kExitMessage;
        const auto& titles = recordingColumnTitles();
        std::vector<std::string> heads(titles.begin(), titles.end());
        if (m_archived) heads.push_back(kArchiveColumnTitle);
        heads.push_back(kNameTitle);
        std::vector<nlohmann::ordered_json> fields;
        for (std::size_t i = 0; i < list.rows.size(); ++i) {
            fields.push_back(recordingFields(list.entries[i], list.rows[i][kSideColumn]));
            if (m_archived) {
                const ArchiveState state =
                    marker ? archiveState(*archive.catalogue, *marker, list.entries[i]) : ArchiveState{};
                list.rows[i].push_back(archiveMarkText(state.mark));
                fields.back()["archive_state"] = archiveStateWord(state.mark);
                fields.back()["sha256"] =
                    state.sha256.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(state.sha256);
            }
            list.rows[i].push_back(names.nameFor(list.entries[i].phoneNumber));
        }
        printJsonRows(heads, list.rows, fields);
        result = list.result;
    } else {
        PhoneIndexHeader header;
        // Without a catalogue (a read-only folder never catalogued) the ninth cell stays empty.
        StreamingTableView view(m_archived, marker ? &*marker : nullptr, m_names ? &names : nullptr);
        const auto scan = [&] { result = ScanCatalogue(root, header, view, messages); };
        if (archive.catalogue) {
            archive.catalogue->withSnapshot(scan);
        } else {
            scan();
        }
    }
    // Rows are printed as they are found, and such a telephone has none.
    if (!phoneListReadable(result, messages)) return kExitMessage;
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
