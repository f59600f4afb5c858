#pragma once

namespace tapelink {

// The texts an upload shows for a file it could not copy. A window shows kUploadFailed alone; a terminal
// names the file and gives one of the reasons below (or the error's own, see errorReasonText).
inline constexpr const char* kUploadFailed = "文件上传失败！";
inline constexpr const char* kUploadFolderWrong = "上传路径错误！";
inline constexpr const char* kReasonSourceNotThere = "电话机上的文件不存在或不是普通文件";
inline constexpr const char* kReasonPhoneGone = "电话机已移除，其余录音未上传";
inline constexpr const char* kReasonNotKeptAside = "旧文件无法先另存到 .tapelink/replaced/，未覆盖";
inline constexpr const char* kReasonNoFreeName = "存档中没有可用的文件名";

}  // namespace tapelink
