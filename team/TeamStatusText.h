#pragma once

#include <string>

#include "team/TeamStatus.h"

namespace tapelink {

// What the user reads for a team archive's answer; empty for Ok.
std::string teamStatusText(TeamStatus status);

// What a person is told whose rights do not let him change the team's phonebook.
inline constexpr const char* kTeamPhonebookMayNotEdit =
    "没有修改团队电话簿的权限（需要某个工位的备注权限），本机的联系人未发送。";

// Clearing the telephone on a desk whose server must hold each recording, when the server can't be asked.
inline constexpr const char* kTeamServerUnconfirmed = "团队存档服务器无法确认已保存的录音，未删除任何录音。";

}  // namespace tapelink
