#pragma once

#include <string>

namespace tapelink {

// The device status texts shown in the main window's caption.
inline constexpr const char* kStatusPrefix = "设备状态：";
inline constexpr const char* kStatusConnected = "设备状态：录音电话成功连接";
inline constexpr const char* kStatusDisconnected = "设备状态：录音电话未连接";
inline constexpr const char* kStatusReading = "设备状态：正在上传语音信息";
inline constexpr const char* kStatusUploadingPrefix = "设备状态：正在上传文件 ";

// Shown by every command that needs the telephone when none is attached.
inline constexpr const char* kDeviceNotReady = "设备未准备好！";

// "Quorvalent audio Velmo录音电话软件    <status>"
inline std::string mainCaption(const std::string& statusText) {
    return "Quorvalent audio Velmo录音电话软件    " + statusText;
}

}  // namespace tapelink
