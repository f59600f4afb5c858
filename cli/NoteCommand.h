#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli note [--archive DIR] FILE [TEXT]: prints the note of an archived recording, or sets it
// (an empty TEXT clears it; the tags stay).
class NoteCommand {
public:
    NoteCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::string m_archive;
    bool m_json = false;
    std::string m_file;
    std::optional<std::string> m_text;
};

}  // namespace tapelink::cli
