#include "team/TeamArchiveCallFigures.h"

namespace tapelink {

CatalogueStatus TeamArchiveCallFigures::callFigures(const std::string& desk, const std::string& fromKey,
                                                    const std::string& toKey, CallFigureRows& out) {
    out = {};
    const std::unique_ptr<ITeamArchive> archive = m_open ? m_open() : nullptr;
    if (!archive) return CatalogueStatus::ConnectionLost;
    switch (archive->callFigures(desk, fromKey, toKey, out)) {
        case TeamStatus::Ok:
            return CatalogueStatus::Ok;
        case TeamStatus::ConnectionLost:
            return CatalogueStatus::ConnectionLost;
        case TeamStatus::Refused:
        case TeamStatus::Failed:
            break;
    }
    out = {};
    return CatalogueStatus::Failed;
}

}  // namespace tapelink
