#pragma once

#include <CLI/CLI.hpp>
#include <optional>

#include "cli/CliContext.h"
#include "cli/SearchOptions.h"
#include "export/TextTable.h"

namespace tapelink::cli {

// tapelink-cli export (--phone | --search [FOLDER] [search options]) [--archive DIR] --xlsx FILE: writes a recording
// list into an xlsx workbook laid out as the window's export lays it out; nothing is opened. Names and remarks come
// from the archive's catalogue (for --phone the stored upload folder unless --archive DIR is given).
class ExportCommand {
public:
    ExportCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    // The list the chosen source option names; empty after a message.
    std::optional<TextTable> listToExport();
    std::optional<TextTable> phoneList();
    std::optional<TextTable> searchResults();

    CLI::App* m_command;
    CliContext& m_context;
    bool m_phone = false;
    std::string m_archive;
    std::string m_searchFolder;
    SearchOptions m_searchOptions;
    std::string m_xlsx;
    bool m_failed = false;  // the list came with a message that reports a failure
};

}  // namespace tapelink::cli
