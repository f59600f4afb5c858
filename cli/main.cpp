#include <iostream>

#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "cli/GuardedRun.h"
#include "common/ProcessEnd.h"
#include "platform/SqliteCatalogueOpener.h"

int main(int argc, char** argv) {
    using namespace tapelink::cli;
    // Every command's objects, the audio module's application object and sound connections included, are gone
    // when it returns.
    tapelink::endProcess(guardedRun(
        [&] {
            // The archives' catalogues: SQLite files in each archive folder.
            tapelink::SqliteCatalogueOpener catalogues;
            CliContext context;
            context.catalogues = &catalogues;
            return runCommandLine(argc, argv, context);
        },
        std::cerr));
}
