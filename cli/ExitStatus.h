#pragma once

namespace tapelink::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitMessage = 1;  // the command ended on one of the system's messages
inline constexpr int kExitUsage = 2;

}  // namespace tapelink::cli
