#include "app/ui/UploadPublishing.h"

#include "app/ui/MainWindowServices.h"
#include "team/TeamPublishRound.h"
#include "team/TeamStatusText.h"

namespace tapelink {

namespace {

constexpr const char* kPublishing = "正在发布到团队存档……";

}  // namespace

UploadPublishing::UploadPublishing(const MainWindowServices& services)
    : m_open(services.openTeamArchive), m_team(services.team) {}

std::string UploadPublishing::publish(CatalogueSession& archive, std::stop_token stop,
                                      IUploadObserver& progress) const {
    if (!enabled()) return {};
    progress.setStatusText(kPublishing);
    const std::unique_ptr<ITeamArchive> server = m_open();
    if (!server) return "团队存档：" + teamStatusText(TeamStatus::ConnectionLost);
    return unpublishedText(publishRound(archive, *server, m_team.desk, std::move(stop)));
}

std::string UploadPublishing::publish(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                                      std::stop_token stop, IUploadObserver& progress) const {
    if (!enabled()) return {};
    CatalogueSession archive(catalogues, folder);
    PublishReport failed;
    if (!openForPublishing(archive, failed)) return unpublishedText(failed);
    return publish(archive, std::move(stop), progress);
}

}  // namespace tapelink
