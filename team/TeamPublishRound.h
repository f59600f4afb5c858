#pragma once

#include <stop_token>
#include <string>

#include "catalogue/CatalogueSession.h"
#include "team/ITeamArchive.h"
#include "team/TeamPublisher.h"

namespace tapelink {

// One round of publishing an archive to the desk's team server: the recordings it has not confirmed, then
// the notes edited since it took them. A lost connection leaves the notes for the next round.
PublishReport publishRound(CatalogueSession& archive, ITeamArchive& team, const std::string& desk,
                           std::stop_token stop = {});

// Opens the archive's catalogue for writing, for a round; false (the report saying why) when it can't be.
bool openForPublishing(CatalogueSession& archive, PublishReport& report);

// What the window says after an upload of what the round left unpublished, and why; empty when it left
// nothing.
std::string unpublishedText(const PublishReport& report);

}  // namespace tapelink
