#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace tapelink::cli {

// How a command names the recordings it acts on: --rows LIST (the 序号 numbers of the list just printed) or
// --names NAME[,NAME...] (the file names as listed, which cannot shift).
class RecordingChoice {
public:
    // Adds --rows and --names to group; listCommand names the command that prints the list ("list",
    // "bin list"). With required, exactly one of them must be given.
    void addOptions(CLI::App* group, const std::string& listCommand, bool required);

    bool given() const { return m_rowsOption->count() > 0 || m_namesOption->count() > 0; }

    // The 0-based rows of the list (its file names in order) that were chosen, ascending. Empty with exitStatus
    // set, after saying why on stderr: a malformed list or a name or row not in the list is a usage error;
    // rows given after a listing that had to move legacy names act on nothing, as the numbers the user saw
    // may have moved.
    std::optional<std::vector<int>> resolve(const std::vector<std::string>& listedNames, int renamed,
                                            int& exitStatus) const;

private:
    std::string m_rows;
    std::string m_names;
    std::string m_listCommand;
    CLI::Option* m_rowsOption = nullptr;
    CLI::Option* m_namesOption = nullptr;
};

// Splits "A,B,C" into its names; false with a reason when an item is empty.
bool parseNameList(const std::string& text, std::vector<std::string>& names, std::string& error);

}  // namespace tapelink::cli
