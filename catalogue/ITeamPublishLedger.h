#pragma once

#include <map>
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
    // The note each confirmed recording had when the server last took it, as noteDigest() gives it; a
    // recording confirmed without one known is absent.
    virtual CatalogueStatus sentNotes(const std::string& desk, std::map<std::string, std::string>& noteDigests) = 0;
    // Recorded only after the server took the note of a confirmed recording.
    virtual CatalogueStatus markNoteSent(const std::string& desk, const std::string& sha256,
                                         const std::string& noteDigest) = 0;
};

}  // namespace tapelink
