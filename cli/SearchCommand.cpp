#include "cli/SearchCommand.h"

#include "archive/ArchiveSearch.h"
#include "cli/SearchRowCollector.h"
#include "cli/SearchRowPrinter.h"

namespace tapelink::cli {

SearchCommand::SearchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("search", "Search a folder of uploaded recordings")), m_context(context) {
    m_command->add_option("FOLDER", m_folder, "Folder that holds the recordings (subfolders are not read)")->required();
    m_options.addTo(*m_command);
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
}

int SearchCommand::run() {
    const SearchCriteria criteria = m_options.criteria();
    if (!m_json) {
        // Rows go out as they are found, so a large archive is never held in memory.
        SearchRowPrinter rows;
        ArchiveSearch search(rows, m_context.messages);
        search.setSearchFolder(m_folder);
        search.RunSearch(criteria);
    } else {
        SearchRowCollector rows;
        ArchiveSearch search(rows, m_context.messages);
        search.setSearchFolder(m_folder);
        search.RunSearch(criteria);
        std::vector<std::string> titles;
        for (const SearchColumn& column : searchColumns()) titles.emplace_back(column.title);
        printRows(titles, rows.rows(), true);
    }
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
