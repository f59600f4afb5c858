#include "cli/CommandRegistry.h"

#include <CLI/CLI.hpp>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cli/ArchiveCommand.h"
#include "cli/BinCommand.h"
#include "cli/ContactsCommand.h"
#include "cli/DeleteCommand.h"
#include "cli/DemoStoreCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ListCommand.h"
#include "cli/LocateCommand.h"
#include "cli/MuteCommand.h"
#include "cli/NoteCommand.h"
#include "cli/SearchCommand.h"
#include "cli/ShareCommand.h"
#include "cli/StatsCommand.h"
#include "cli/TagCommand.h"
#include "cli/TeamCommand.h"
#include "cli/UploadCommand.h"
#include "cli/UsageErrorText.h"
#include "cli/VolumeCommand.h"
#include "cli/WatchCommand.h"
#ifdef TAPELINK_CLI_PLAY
#include "cli/PlayCommand.h"
#endif

namespace tapelink::cli {

namespace {

// What the dispatcher needs of a command; the command classes themselves stay plain.
class RegisteredCommand {
public:
    virtual ~RegisteredCommand() = default;
    virtual bool given() const = 0;
    virtual int run() = 0;
};

template <class Command>
class CommandEntry : public RegisteredCommand {
public:
    CommandEntry(CLI::App& app, CliContext& context) : m_command(app, context) {}
    bool given() const override { return m_command.command()->parsed(); }
    int run() override { return m_command.run(); }

private:
    Command m_command;
};

using CommandFactory = std::unique_ptr<RegisteredCommand> (*)(CLI::App&, CliContext&);

template <class Command>
std::unique_ptr<RegisteredCommand> make(CLI::App& app, CliContext& context) {
    return std::make_unique<CommandEntry<Command>>(app, context);
}

// One line per command, in the order the help and the "unknown command" message list them (kept so by hand:
// from this many lines on the formatter would set them in columns).
// clang-format off
constexpr auto kCommands = std::to_array<CommandFactory>({
    make<ListCommand>,
    make<DemoStoreCommand>,
    make<LocateCommand>,
    make<WatchCommand>,
    make<ExportCommand>,
    make<DeleteCommand>,
    make<BinCommand>,
#ifdef TAPELINK_CLI_PLAY
    make<PlayCommand>,
#endif
    make<VolumeCommand>,
    make<MuteCommand>,
    make<SearchCommand>,
    make<UploadCommand>,
    make<ArchiveCommand>,
    make<ContactsCommand>,
    make<NoteCommand>,
    make<TagCommand>,
    make<ShareCommand>,
    make<StatsCommand>,
    make<TeamCommand>,
});
// clang-format on

}  // namespace

int runCommandLine(int argc, char** argv, CliContext& context) {
    CLI::App app{"Tapelink: the call-recording telephone's recordings from the command line", "tapelink-cli"};
    app.require_subcommand(1);
    // Help and version go to stdout as CLI11 prints them; a refused command line is told in Chinese.
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) { return usageErrorText(*failed, error); });
    app.set_version_flag("--version", std::string("tapelink-cli ") + TAPELINK_VERSION);
    app.add_option("--store", context.storeOption, "Folder to use as the telephone's drive root")
        ->envname("TAPELINK_STORE");

    std::vector<std::unique_ptr<RegisteredCommand>> commands;
    commands.reserve(kCommands.size());
    for (const CommandFactory factory : kCommands) commands.push_back(factory(app, context));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    }
    for (const auto& command : commands) {
        if (command->given()) return command->run();
    }
    return kExitUsage;
}

}  // namespace tapelink::cli
