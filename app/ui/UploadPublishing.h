#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "catalogue/CatalogueSession.h"
#include "phone/IUploadObserver.h"
#include "team/ITeamArchive.h"
#include "team/TeamSettings.h"

namespace tapelink {

struct MainWindowServices;

// How the window's uploads reach the desk's team archive: run on the upload's worker, never on the window's
// thread, once the copies are done. A desk in no team publishes nothing.
class UploadPublishing {
public:
    explicit UploadPublishing(const MainWindowServices& services);

    bool enabled() const { return m_open && m_team.inTeam(); }
    // Publishes what the open archive holds and the server has not confirmed, and the notes edited since;
    // the status text says so meanwhile. What stays unpublished, in the window's words; empty when nothing.
    std::string publish(CatalogueSession& archive, std::stop_token stop, IUploadObserver& progress) const;
    // The same for an archive folder, whose catalogue it opens.
    std::string publish(IArchiveCatalogueOpener& catalogues, const std::string& folder, std::stop_token stop,
                        IUploadObserver& progress) const;

private:
    std::function<std::unique_ptr<ITeamArchive>()> m_open;
    TeamSettings m_team;
};

}  // namespace tapelink
