#pragma once

#include <string>
#include <system_error>

namespace tapelink {

// The file-error text shown when a rename or delete on the telephone fails:
// "对 %1 的存取被拒绝。", "没有找到 %1。" or "访问 %1 时发生错误。" with the file's name.
std::string fileErrorText(std::error_code error, const std::string& fileName);

// The text shown when a legacy REC name could not be moved to its VO name. When the VO name is taken the
// user is told which two files meet, so that one of them can be dealt with; otherwise as fileErrorText.
std::string legacyRenameErrorText(std::error_code error, const std::string& legacyName, const std::string& modernName);

// Why a file operation failed, in a few words for a message that names the file: "没有权限", "磁盘已满"...
// Errors without a text of their own give their number, so that they can still be looked up.
std::string errorReasonText(std::error_code error);

}  // namespace tapelink
