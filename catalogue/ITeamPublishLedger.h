#pragma once

#include <set>
#include <string>
#include <vector>

#include "common/CatalogueStatus.h"

namespace tapelink {

// What the team's server has confirmed holding of this archive, as the archive's own catalogue remembers
// it: a desk publishes only what is not here, and can tell offline what is still unpublished.
class ITeamPublishLedger {
public:
    virtual ~ITeamPublishLedger() = default;
    virtual CatalogueStatus confirmedDigests(const std::string& desk, std::set<std::string>& out) = 0;
    // Recorded only after the server committed the recording.
    virtual CatalogueStatus markConfirmed(const std::string& desk, const std::string& sha256) = 0;
    // A batch the server committed, in one local transaction: all recorded, or none.
    virtual CatalogueStatus markAllConfirmed(const std::string& desk, const std::vector<std::string>& sha256s) = 0;
};

}  // namespace tapelink
