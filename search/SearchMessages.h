#pragma once

namespace tapelink {

// The texts the search dialog shows in its "提示" boxes.
inline constexpr const char* kMsgStartAfterEnd = "查询开始时间大于查询结束时间!";
inline constexpr const char* kMsgNoSearchFolder = "请添加文件或添加文件夹！";
inline constexpr const char* kMsgNothingFound = "该查询路径下未找到任何与查询条件相匹配的语音文件！";
inline constexpr const char* kMsgSelectToPlay = "请先选择一条要播放的语音！";
inline constexpr const char* kMsgSelectToRemove = "请先选择一条要删除的语音记录！";

}  // namespace tapelink
