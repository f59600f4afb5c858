#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/DemoStoreCommand.h"
#include "cli/ListCommand.h"
#include "cli/UploadCommand.h"

int main(int argc, char** argv) {
    using namespace tapelink::cli;

    CLI::App app{"Tapelink: the call-recording telephone's recordings from the command line", "tapelink-cli"};
    app.require_subcommand(1);
    CliContext context;
    app.add_option("--store", context.storeOption, "Folder to use as the telephone's drive root")
        ->envname("TAPELINK_STORE");

    ListCommand list(app, context);
    DemoStoreCommand demoStore(app, context);
    UploadCommand upload(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    }

    if (list.command()->parsed()) return list.run();
    if (demoStore.command()->parsed()) return demoStore.run();
    if (upload.command()->parsed()) return upload.run();
    return kExitUsage;
}
