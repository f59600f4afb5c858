#include "cli/SearchCommand.h"

#include "archive/ArchiveSearch.h"
#include "cli/SearchRowCollector.h"

namespace tapelink::cli {

SearchCommand::SearchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("search", "Search a folder of uploaded recordings")), m_context(context) {
    m_command->add_option("FOLDER", m_folder, "Folder that holds the recordings (subfolders are not read)")->required();
    m_options.addTo(*m_command);
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
}

int SearchCommand::run() {
    SearchRowCollector rows;
    ArchiveSearch search(rows, m_context.messages);
    search.setSearchFolder(m_folder);
    search.RunSearch(m_options.criteria());

    std::vector<std::string> titles;
    for (const SearchColumn& column : searchColumns()) titles.emplace_back(column.title);
    printRows(titles, rows.rows(), m_json);
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
