#pragma once

#include <functional>
#include <memory>

#include "statistics/ITeamCallFigures.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// The statistics' figures from a team archive: each count opens its own connection, so that a count on a
// worker shares nothing with the window's thread.
class TeamArchiveCallFigures : public ITeamCallFigures {
public:
    using Opener = std::function<std::unique_ptr<ITeamArchive>()>;
    explicit TeamArchiveCallFigures(Opener open) : m_open(std::move(open)) {}

    CatalogueStatus callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                                CallFigureRows& out) override;

private:
    Opener m_open;
};

}  // namespace tapelink
