#pragma once

#include "cli/CliContext.h"

namespace tapelink::cli {

// Every subcommand of tapelink-cli, from one table: builds the command line with the global options, parses
// argv and runs the one command given. Returns that command's exit status; help and version give kExitOk, a
// refused command line kExitUsage after saying why in Chinese.
int runCommandLine(int argc, char** argv, CliContext& context);

}  // namespace tapelink::cli
