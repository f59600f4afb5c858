#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/ArchiveCommand.h"
#include "cli/BinCommand.h"
#include "cli/CliContext.h"
#include "cli/ContactsCommand.h"
#include "cli/DeleteCommand.h"
#include "cli/DemoStoreCommand.h"
#include "cli/ExportCommand.h"
#include "cli/GuardedRun.h"
#include "cli/ListCommand.h"
#include "cli/LocateCommand.h"
#include "cli/MuteCommand.h"
#include "cli/NoteCommand.h"
#include "cli/TagCommand.h"
#include "cli/UsageErrorText.h"
#include "cli/WatchCommand.h"
#include "common/ProcessEnd.h"
#include "platform/SqliteArchiveCatalogue.h"
#ifdef TAPELINK_CLI_PLAY
#include "cli/PlayCommand.h"
#endif
#include "cli/SearchCommand.h"
#include "cli/ShareCommand.h"
#include "cli/UploadCommand.h"
#include "cli/VolumeCommand.h"

namespace {

int runCommandLine(int argc, char** argv) {
    using namespace tapelink::cli;

    CLI::App app{"Tapelink: the call-recording telephone's recordings from the command line", "tapelink-cli"};
    app.require_subcommand(1);
    // Help and version go to stdout as CLI11 prints them; a refused command line is told in Chinese.
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) { return usageErrorText(*failed, error); });
    app.set_version_flag("--version", std::string("tapelink-cli ") + TAPELINK_VERSION);
    // The archives' catalogues: SQLite files in each archive folder.
    tapelink::SqliteCatalogueOpener catalogues;
    CliContext context;
    context.catalogues = &catalogues;
    app.add_option("--store", context.storeOption, "Folder to use as the telephone's drive root")
        ->envname("TAPELINK_STORE");

    ListCommand list(app, context);
    DemoStoreCommand demoStore(app, context);
    LocateCommand locate(app, context);
    WatchCommand watch(app, context);
    ExportCommand exportList(app, context);
    DeleteCommand deleteRows(app, context);
    BinCommand bin(app, context);
#ifdef TAPELINK_CLI_PLAY
    PlayCommand play(app, context);
#endif
    VolumeCommand volume(app, context);
    MuteCommand mute(app, context);
    SearchCommand search(app, context);
    UploadCommand upload(app, context);
    ArchiveCommand archive(app, context);
    ContactsCommand contacts(app, context);
    NoteCommand note(app, context);
    TagCommand tag(app, context);
    ShareCommand share(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    }

    if (list.command()->parsed()) return list.run();
    if (demoStore.command()->parsed()) return demoStore.run();
    if (locate.command()->parsed()) return locate.run();
    if (watch.command()->parsed()) return watch.run();
    if (exportList.command()->parsed()) return exportList.run();
    if (deleteRows.command()->parsed()) return deleteRows.run();
    if (bin.command()->parsed()) return bin.run();
#ifdef TAPELINK_CLI_PLAY
    if (play.command()->parsed()) return play.run();
#endif
    if (volume.command()->parsed()) return volume.run();
    if (mute.command()->parsed()) return mute.run();
    if (search.command()->parsed()) return search.run();
    if (upload.command()->parsed()) return upload.run();
    if (archive.command()->parsed()) return archive.run();
    if (contacts.command()->parsed()) return contacts.run();
    if (note.command()->parsed()) return note.run();
    if (tag.command()->parsed()) return tag.run();
    if (share.command()->parsed()) return share.run();
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // Every command's objects, the audio module's application object and sound connections included, are gone
    // when it returns.
    tapelink::endProcess(tapelink::cli::guardedRun([&] { return runCommandLine(argc, argv); }, std::cerr));
}
