#include "cli/SearchCommand.h"

#include "archive/ArchiveSearch.h"
#include "archive/CatalogueSession.h"
#include "cli/SearchRowCollector.h"
#include "cli/SearchRowPrinter.h"
#include "export/SheetLayout.h"

namespace tapelink::cli {

SearchCommand::SearchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("search", "Search a folder of uploaded recordings")), m_context(context) {
    m_command->add_option("FOLDER", m_folder, "Folder that holds the recordings (subfolders are not read)")->required();
    m_options.addTo(*m_command);
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_command->add_flag("--names", m_names, "Add the contact's name as a last cell");
}

int SearchCommand::run() {
    const SearchCriteria criteria = m_options.criteria();
    // A search only reads: a folder without a catalogue searches by number, as before there was one.
    CatalogueSession archive(*m_context.catalogues, m_folder);
    archive.open(CatalogueAccess::ReadOnly);
    std::vector<Contact> contacts;
    if (archive.isOpen()) archive.phonebook()->contacts(contacts);
    const ContactDirectory directory(contacts);
    RecordingAnnotations annotations(directory, archive.catalogue(), archive.notes());
    const auto run = [&](ISearchResultList& rows) {
        ArchiveSearch search(rows, m_context.messages);
        search.setAnnotations(&annotations);
        search.setSearchFolder(m_folder);
        search.RunSearch(criteria);
    };
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
        printRows(titles, rows.rows(), true);
    }
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
