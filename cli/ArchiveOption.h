#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace tapelink::cli {

// The archive (upload) folder is --archive DIR in every command. Commands that called it --to still take
// that spelling, shown in --help as the old name.
class ArchiveOption {
public:
    // oldName: also accept --to (the commands where --to never was a date).
    ArchiveOption(CLI::App& command, std::string& folder, const std::string& description, bool oldName = false);

    // Both spellings need the option named.
    ArchiveOption& needs(const std::string& option);
    // Only one of this and option (a positional folder) may be given.
    ArchiveOption& excludes(CLI::Option* option);
    // True when either spelling was given.
    bool given() const;

private:
    CLI::Option* m_archive;
    CLI::Option* m_oldName = nullptr;
};

}  // namespace tapelink::cli
