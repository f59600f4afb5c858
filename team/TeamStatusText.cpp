#include "team/TeamStatusText.h"

#include "catalogue/CatalogueFailureText.h"

namespace tapelink {

std::string teamStatusText(TeamStatus status) {
    switch (status) {
        case TeamStatus::Ok:
            return {};
        case TeamStatus::Refused:
            return "团队存档拒绝了此操作：没有相应的权限。";
        case TeamStatus::ConnectionLost:
            return kCatalogueConnectionLost;
        case TeamStatus::Failed:
            return "团队存档操作失败。";
    }
    return {};
}

}  // namespace tapelink
