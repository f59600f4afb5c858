#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli play FILE...: plays the files one after another on the default sound output, with a progress
// line "FILE  position / length". Problems with a file or the sound device are reported in the media layer's own
// words; the command then goes on with the next file and ends with status 1.
class PlayCommand {
public:
    PlayCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

    // "1:05.3" for 65 300 ms.
    static std::string clockText(std::int32_t ms);

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::vector<std::string> m_files;
};

}  // namespace tapelink::cli
