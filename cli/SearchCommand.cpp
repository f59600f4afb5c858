#include "cli/SearchCommand.h"

#include "archive/ArchiveSearch.h"
#include "cli/SearchArguments.h"
#include "cli/SearchRowCollector.h"
#include "cli/SearchRowPrinter.h"

namespace tapelink::cli {

namespace {

// CLI11 validators that accept exactly what the parsing functions accept.
template <auto Parse>
CLI::Validator acceptedBy(const std::string& description) {
    return CLI::Validator(
        [description](std::string& text) { return Parse(text) ? std::string() : description + ": " + text; },
        description);
}

}  // namespace

SearchCommand::SearchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("search", "Search a folder of uploaded recordings")), m_context(context) {
    m_command->add_option("FOLDER", m_folder, "Folder that holds the recordings (subfolders are not read)")->required();
    const std::string dateHelp = "YYYY-MM-DD or YYYY-MM-DD hh:mm[:ss] from 2000 to 2099";
    m_command->add_option("--from", m_from, "Start date, counted from 00:00 of its day (default 2010-03-01)")
        ->check(acceptedBy<parseSearchDate>(dateHelp));
    m_command->add_option("--to", m_to, "End date, counted up to 23:59 of its day (default now)")
        ->check(acceptedBy<parseSearchDate>(dateHelp));
    m_command->add_option("--side", m_side, "Side of the call")->check(CLI::IsMember({"all", "caller", "called"}));
    m_command->add_option("--kind", m_kind, "Kind of recording")
        ->check(CLI::IsMember({"all", "call", "message", "local"}));
    m_command->add_option("--number", m_number, "Part of the phone number, at most 16 characters")
        ->check([](const std::string& text) {
            return text.size() <= kMaxNumberLength ? std::string() : "the number has more than 16 characters";
        });
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
}

int SearchCommand::run() {
    SearchCriteria criteria;
    // Validated while parsing; the dereferences cannot fail.
    criteria.from = *parseSearchDate(m_from);
    criteria.to = m_to.empty() ? currentSearchDate() : *parseSearchDate(m_to);
    criteria.side = *parseSide(m_side);
    criteria.kind = *parseKind(m_kind);
    criteria.number = m_number;

    if (!m_json) {
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
