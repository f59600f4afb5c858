#include "cli/SearchCommand.h"
#include "cli/AnnotatedSearch.h"

#include <iostream>

#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/RecordingFields.h"
#include "cli/SearchRowCollector.h"
#include "cli/SearchRowPrinter.h"
#include "export/SheetLayout.h"
#include "search/ISearchResultList.h"

namespace tapelink::cli {

namespace {

// Each result's fields, read again from its file, and "sha256": the digest the catalogue recorded for a file
// whose content is as archived (null for any other, and without a catalogue).
std::vector<nlohmann::ordered_json> resultFields(const std::vector<std::vector<std::string>>& rows,
                                                 IArchiveCatalogue* catalogue) {
    std::vector<nlohmann::ordered_json> fields;
    for (const std::vector<std::string>& row : rows) {
        std::optional<RecordingEntry> entry;
        std::optional<CatalogueRecord> record;
        // A compacted recording's file holds no metadata block: its row in the catalogue keeps it.
        if (catalogue != nullptr && catalogue->findByName(row[kFileNameColumn], record) == CatalogueStatus::Ok &&
            record && record->compacted() && row[kPathColumn].ends_with("/" + record->compactName)) {
            entry = RecordingEntry{record->size,        record->fileName, record->direction,
                                   record->phoneNumber, record->startKey, {},
                                   record->compactName};
        } else {
            entry = recordingAt(row[kPathColumn]);
        }
        fields.push_back(entry ? recordingFields(*entry, row[kSideColumn]) : nlohmann::ordered_json());
        if (!entry) continue;
        const bool known = catalogue != nullptr &&
                           catalogue->findByName(entry->fileName, record) == CatalogueStatus::Ok && record &&
                           record->state == RecordState::Present && !record->sha256.empty();
        fields.back()["sha256"] = known ? nlohmann::ordered_json(record->sha256) : nullptr;
    }
    return fields;
}

}  // namespace

SearchCommand::SearchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("search", "Search a folder of uploaded recordings")), m_context(context) {
    CLI::Option* folder =
        m_command->add_option("FOLDER", m_folder, "Folder that holds the recordings (subfolders are not read)");
    ArchiveOption(*m_command, m_folder, "The same folder, as every command names the archive (default: the stored one)")
        .excludes(folder);
    m_options.addTo(*m_command);
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_command->add_flag("--names", m_names, "Add the contact's name as a last cell");
}

int SearchCommand::run() {
    m_folder = archiveFolderOr(m_folder);
    if (m_folder.empty()) {
        std::cerr << "没有上传路径：请给出 FOLDER 或用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    const SearchCriteria criteria = m_options.criteria();
    AnnotatedSearch archive(*m_context.catalogues, m_folder);
    const auto run = [&](ISearchResultList& rows) { archive.run(criteria, rows, m_context.messages); };
    if (!m_json) {
        // Rows go out as they are found, so a large archive is never held in memory.
        SearchRowPrinter rows(m_names);
        run(rows);
    } else {
        SearchRowCollector rows;
        run(rows);
        std::vector<std::string> titles;
        for (const SearchColumn& column : searchColumns()) titles.emplace_back(column.title);
        titles.emplace_back(kNameTitle);
        printJsonRows(titles, rows.rows(), resultFields(rows.rows(), archive.catalogue()));
    }
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
