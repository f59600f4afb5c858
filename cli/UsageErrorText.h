#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace tapelink::cli {

// The message for a command line CLI11 refused, in Chinese, naming the word, option or value that was
// wrong, and where to read the usage ("用 tapelink-cli list --help 查看用法。"). app is the whole command
// line's application; the subcommand it had reached is found from it.
std::string usageErrorText(const CLI::App& app, const CLI::Error& error);

}  // namespace tapelink::cli
