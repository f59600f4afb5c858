#pragma once

#include "phone/DeviceStatus.h"

namespace tapelink {

// The texts the permanent-delete commands and the recycle-bin window show.
inline constexpr const char* kNoPhoneRowSelected = "请先选择一条要删除的语音记录！";
inline constexpr const char* kNoBinRowSelected = "请先选择一条要永久删除的语音记录！";
inline constexpr const char* kNoRestoreRowSelected = "请选择需要还原的语音记录！";
inline constexpr const char* kRestoreNotStarted = "还原失败！";
inline constexpr const char* kSerialsExhausted = "序号已满!请删除电话机上所有录音,以便将序号清0!";
inline constexpr const char* kRestorePathError = "还原路径错误！";
inline constexpr const char* kRestoreFileFailed = "文件还原失败！";
inline constexpr const char* kPhoneRemoved = "电话机被移除！";
inline constexpr const char* kRestoreDone = "还原完毕！";

}  // namespace tapelink
