#pragma once

#include <string>

#include "catalogue/CallFigures.h"
#include "common/CatalogueStatus.h"

namespace tapelink {

// The statistics' way to a team archive: the counts of the calls the person may hear, of every desk granted
// to him or of one (desk not empty), whose start key lies in [fromKey, toKey]. ConnectionLost when the server
// is out of reach. Called on a worker thread, one call at a time.
class ITeamCallFigures {
public:
    virtual ~ITeamCallFigures() = default;
    virtual CatalogueStatus callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                                        CallFigureRows& out) = 0;
};

}  // namespace tapelink
