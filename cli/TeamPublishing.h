#pragma once

#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "team/TeamPublisher.h"
#include "team/TeamSettings.h"
#include "team/TeamStatusText.h"

namespace tapelink::cli {

// The desk's team settings from team.ini in the profile folder.
TeamSettings storedTeamSettings();

// Publishes what an archive folder holds and the desk's server has not confirmed. Returns the round's report
// (status ConnectionLost when the server could not be reached).
PublishReport publishArchive(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                             const TeamSettings& settings);

// After an upload on a team desk: publishes and says in one line on stderr what was published or what stays
// unpublished, then exchanges the phonebook with the team's. Never fails the upload; does nothing on a desk in
// no team.
void publishAfterUpload(IArchiveCatalogueOpener& catalogues, const std::string& folder);

}  // namespace tapelink::cli
