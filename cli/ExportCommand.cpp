#include "cli/ExportCommand.h"
#include "cli/AnnotatedSearch.h"

#include <iostream>

#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/SearchRowCollector.h"
#include "export/ExcelExporter.h"
#include "platform/XlsxSpreadsheet.h"
#include "search/SearchMessages.h"

namespace tapelink::cli {

ExportCommand::ExportCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("export", "Write a recording list into an xlsx workbook")), m_context(context) {
    // Exactly one list source; each source is one option of this group.
    CLI::Option_group* source = m_command->add_option_group("source", "The list to export");
    source->add_flag("--phone", m_phone, "The telephone's recordings, as the main window lists them");
    source
        ->add_option("--search", m_searchFolder,
                     "The search results of a folder of uploaded recordings (without a value: the archive)")
        ->expected(0, 1);
    source->require_option(1);
    ArchiveOption(*m_command, m_archive,
                  "The archive (upload) folder: with --phone the one whose phonebook and notes fill 姓名 and 备注, "
                  "with --search the one searched (default: the stored one)");
    m_searchOptions.addTo(*m_command);
    m_command->add_option("--xlsx", m_xlsx, "Workbook file to write (replaced if it exists)")->required();
}

int ExportCommand::run() {
    if (!m_archive.empty() && !m_searchFolder.empty()) {
        std::cerr << "存档文件夹只能给出一次：--search DIR 或 --search --archive DIR。\n";
        return kExitUsage;
    }
    // The telephone's list is exported whole: a filter that would be ignored is refused instead.
    if (m_phone && !m_searchOptions.given().empty()) {
        std::cerr << m_searchOptions.given()
                  << " 只能与 --search 一起使用（--to 是结束日期；存档文件夹请用 --archive DIR）。\n";
        return kExitUsage;
    }
    if (!m_phone) {
        m_searchFolder = archiveFolderOr(m_searchFolder.empty() ? m_archive : m_searchFolder);
        if (m_searchFolder.empty()) {
            std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
            return kExitUsage;
        }
    }
    const std::optional<TextTable> list = listToExport();
    if (!list) return kExitMessage;
    XlsxSpreadsheet spreadsheet(m_xlsx);
    const bool exported = ExcelExporter(m_context.messages).ExportList(*list, spreadsheet);
    return exported && !m_failed && !m_context.messages.anyShown() ? kExitOk : kExitMessage;
}

std::optional<TextTable> ExportCommand::listToExport() {
    if (m_phone) return phoneList();
    return searchResults();
}

std::optional<TextTable> ExportCommand::phoneList() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return std::nullopt;
    PhoneList list = scanPhoneList(root, m_context.messages);
    if (!phoneListReadable(list.result, m_context.messages)) return std::nullopt;
    // Names and notes from the archive's catalogue, read without changing it; no archive leaves them empty.
    const std::string folder = archiveFolderOr(m_archive);
    CatalogueSession archive(*m_context.catalogues, folder);
    if (!folder.empty()) archive.open(CatalogueAccess::ReadOnly);
    std::vector<Contact> contacts;
    if (archive.isOpen()) archive.phonebook()->contacts(contacts);
    const ContactDirectory directory(contacts);
    std::vector<std::string> names;
    std::vector<std::string> remarks;
    for (RowAnnotation& annotation :
         RecordingAnnotations(directory, archive.catalogue(), archive.notes()).annotate(list.entries)) {
        names.push_back(std::move(annotation.name));
        remarks.push_back(std::move(annotation.remark));
    }
    const auto& titles = recordingColumnTitles();
    TextTable table({titles.begin(), titles.end()}, std::move(list.rows));
    table.setNamesAndRemarks(std::move(names), std::move(remarks));
    return table;
}

std::optional<TextTable> ExportCommand::searchResults() {
    // As in the window, the list is exported as the search left it, titles only when nothing was found; the
    // search's message still reaches stderr. Only a search that found nothing is no failure of the export.
    SearchRowCollector rows;
    StderrMessages searchMessages;
    FailureTrackingSink messages(searchMessages, kMsgNothingFound);
    // Names and notes from the folder's catalogue, read without changing it.
    AnnotatedSearch search(*m_context.catalogues, m_searchFolder);
    search.run(m_searchOptions.criteria(), rows, messages);
    m_failed = messages.failed();
    std::vector<std::string> titles;
    for (const SearchColumn& column : searchColumns()) titles.emplace_back(column.title);
    std::vector<std::string> names;
    std::vector<std::string> remarks;
    for (const std::vector<std::string>& row : rows.rows()) {
        names.push_back(row.back());
        remarks.push_back(search.annotations().remarkOfFile(row[1]));
    }
    TextTable table(std::move(titles), rows.rows());
    table.setNamesAndRemarks(std::move(names), std::move(remarks));
    return table;
}

}  // namespace tapelink::cli
