#include "cli/TeamPublishing.h"

#include <iostream>

#include "catalogue/CatalogueSession.h"
#include "cli/TeamPhonebookAfterUpload.h"
#include "platform/PgTeamArchive.h"
#include "settings/ProfileFolder.h"
#include "settings/TeamSettingsFile.h"
#include "team/TeamPublishRound.h"

namespace tapelink::cli {

TeamSettings storedTeamSettings() {
    return loadTeamSettings(teamSettingsFilePath(profileFolderPath()));
}

PublishReport publishArchive(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                             const TeamSettings& settings) {
    CatalogueSession archive(catalogues, folder);
    PublishReport report;
    if (!openForPublishing(archive, report)) return report;
    PgTeamArchive team(settings.server);
    if (team.status() != TeamStatus::Ok) {
        std::vector<CatalogueRecord> pending;
        unpublishedRecords(archive, settings.desk, pending);
        report.unpublished = pending.size();
        report.status = team.status();
        return report;
    }
    return publishRound(archive, team, settings.desk);
}

void publishAfterUpload(IArchiveCatalogueOpener& catalogues, const std::string& folder) {
    const TeamSettings settings = storedTeamSettings();
    if (!settings.inTeam()) return;
    const PublishReport report = publishArchive(catalogues, folder, settings);
    // The phonebook follows, unless the server is out of reach anyway.
    if (report.status != TeamStatus::ConnectionLost) exchangePhonebookAfterUpload(catalogues, folder, settings.server);
    const bool notesLeft = report.notesRefused > 0 || report.notesUnsent > 0;
    if (report.status == TeamStatus::Ok && report.unpublished == 0 && report.unreadable == 0 && !notesLeft) {
        if (report.published > 0) std::cerr << "已发布到团队存档 " << report.published << " 个。\n";
        return;
    }
    std::cerr << "团队存档：已发布 " << report.published << " 个，尚未发布 " << report.unpublished
              << " 个，稍后用 tapelink-cli team publish 补发。";
    if (report.notesRefused > 0) std::cerr << "备注被拒绝 " << report.notesRefused << " 条。";
    if (report.notesUnsent > 0) std::cerr << "备注尚未发送 " << report.notesUnsent << " 条。";
    const std::string why = teamStatusText(report.status);
    std::cerr << (why.empty() ? "" : " ") << why << '\n';
}

}  // namespace tapelink::cli
