#include "team/TeamStatusText.h"

namespace tapelink {

std::string teamStatusText(TeamStatus status) {
    switch (status) {
        case TeamStatus::Ok:
            return {};
        case TeamStatus::Refused:
            return "团队存档拒绝了此操作：没有相应的权限。";
        case TeamStatus::ConnectionLost:
            return "与存档的连接已断开，请重试。";
        case TeamStatus::Failed:
            return "团队存档操作失败。";
    }
    return {};
}

}  // namespace tapelink
