#pragma once

#include <string>

#include "app/ui/IArchiveWindow.h"
#include "app/ui/MainWindowServices.h"

namespace tapelink {

class ArchivePreferenceFile;
class ArchiveWorker;

// What the main window archive's commands share: the window, its services, the one worker they run on
// and the archive's kept choices.
struct ArchiveCommandContext {
    IArchiveWindow& window;
    const MainWindowServices& services;
    ArchiveWorker& worker;
    ArchivePreferenceFile& preferences;

    std::string archiveFolder() const { return window.settingsCopy().uploadFolder(); }
    IArchiveCatalogueOpener& catalogues() const { return *services.catalogueOpener; }
};

}  // namespace tapelink
