#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"
#include "cli/RecordingChoice.h"

namespace tapelink::cli {

// tapelink-cli upload [--archive DIR] (--all | --rows LIST | --names NAMES | --date YYYY-MM-DD | --number TEXT
//                      | --new)
//                     [--overwrite ask|all|none]
// Scans the telephone as the main window does, then uploads the chosen rows with the window's rules. With
// --rows or --names each file uploaded is printed on a line of its own before the summary.
// --new uploads every recording whose content is not yet in the archive, never replacing a file.
class UploadCommand {
public:
    UploadCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    std::string uploadFolder() const;
    int runNew(const std::string& root, const std::string& folder);

    CLI::App* m_command;
    CliContext& m_context;
    std::string m_to;
    bool m_all = false;
    bool m_new = false;
    RecordingChoice m_choice;
    std::string m_date;
    std::string m_number;
    std::string m_overwrite = "ask";
};

}  // namespace tapelink::cli
