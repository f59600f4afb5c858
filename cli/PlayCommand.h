#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli play FILE...: plays the files one after another on the default sound output, with a progress
// line "FILE  position / length". Problems with a file or the sound device are reported in the media layer's own
// words; the command then goes on with the next file and ends with status 1. The playing is done by the audio
// module, loaded only for this.
class PlayCommand {
public:
    PlayCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::vector<std::string> m_files;
};

}  // namespace tapelink::cli
