#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "cli/SearchOptions.h"
#include "sharing/SharePlan.h"

namespace tapelink::cli {

// tapelink-cli share (--search [FOLDER] [search options] | FILE…) [--archive DIR] --format mp3|wav
// (--zip OUT.zip | --folder DIR):
// the recordings converted, with readable names and an index workbook, in a zip file or a folder.
class ShareCommand {
public:
    ShareCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    // The recordings to share with their rows; empty after a message.
    std::optional<std::vector<ShareItem>> searchItems();
    std::optional<std::vector<ShareItem>> fileItems();

    CLI::App* m_command;
    CliContext& m_context;
    std::string m_searchFolder;
    std::string m_archive;
    SearchOptions m_searchOptions;
    std::vector<std::string> m_files;
    std::string m_format = "mp3";
    std::string m_zip;
    std::string m_folder;
};

}  // namespace tapelink::cli
