#include "cli/TeamPhonebookAfterUpload.h"

#include <iostream>

#include "catalogue/CatalogueSession.h"
#include "cli/TeamPublishing.h"
#include "contacts/PhonebookTexts.h"
#include "platform/PgTeamPhonebook.h"
#include "team/TeamPhonebookSync.h"

namespace tapelink::cli {

void exchangePhonebookAfterUpload(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                                  const std::string& server) {
    CatalogueSession archive(catalogues, folder);
    // A folder whose catalogue can't be written has no phonebook to take the team's names into.
    if (archive.open(CatalogueAccess::ReadWrite) != CatalogueStatus::Ok || !archive.isOpen()) return;
    PgTeamPhonebook team(server);
    const PhonebookSyncReport report = TeamPhonebookSync(*archive.phonebook(), team).sync();
    if (report.team != TeamStatus::Ok) {
        std::cerr << "团队电话簿未同步：" << teamStatusText(report.team) << '\n';
    } else if (report.local != CatalogueStatus::Ok) {
        std::cerr << "团队电话簿未同步：" << kPhonebookStoreFailed << '\n';
    } else if (report.toDesk.added + report.toDesk.updated > 0) {
        std::cerr << "团队电话簿：本机新增 " << report.toDesk.added << " 个，更新 " << report.toDesk.updated
                  << " 个联系人。\n";
    }
}

}  // namespace tapelink::cli
