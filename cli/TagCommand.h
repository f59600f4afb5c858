#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli tag [--archive DIR] FILE [+TAG|-TAG...]: prints the tags of an archived recording on one
// line, separated by spaces (a tag never holds one), or adds (+TAG) and removes (-TAG) tags, in the order
// given. A change that can't be made leaves every tag as it was.
class TagCommand {
public:
    TagCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::string m_archive;
    bool m_json = false;
    std::string m_file;
};

}  // namespace tapelink::cli
