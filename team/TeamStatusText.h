#pragma once

#include <string>

#include "team/TeamStatus.h"

namespace tapelink {

// What the user reads for a team archive's answer; empty for Ok.
std::string teamStatusText(TeamStatus status);

// Clearing the telephone on a desk whose server must hold each recording, when the server can't be asked.
inline constexpr const char* kTeamServerUnconfirmed = "团队存档服务器无法确认已保存的录音，未删除任何录音。";

}  // namespace tapelink
