#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli play [--speed X] [--skip-silence] FILE...: plays the files one after another on the default sound
// output, X times as fast with the pitch kept and long silences shortened when asked, with a progress line
// "FILE  position / length" in the recording's own time. Problems with a file or the sound device are reported in the
// media layer's own words; the command then goes on with the next file and ends with status 1. The playing is done by
// the audio module, loaded only for this.
class PlayCommand {
public:
    PlayCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::vector<std::string> m_files;
    double m_speed = 1.0;
    bool m_skipSilence = false;
};

}  // namespace tapelink::cli
