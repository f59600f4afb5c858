#pragma once

namespace tapelink {

// Why a command that writes to the telephone did nothing (besides "设备未准备好！" for a swapped volume).
inline constexpr const char* kIndexUnusable = "电话机的索引文件 system/phone.bin 缺失或无效，未做任何更改！";
inline constexpr const char* kPhoneReadOnly = "电话机为只读状态，只能上传录音，不能删除或还原！";

}  // namespace tapelink
