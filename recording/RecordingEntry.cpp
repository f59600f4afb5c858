#include "recording/RecordingEntry.h"

namespace tapelink {

RecordingEntry RecordingEntry::fromInfo(const std::string& folder, const std::string& fileName, std::uint64_t size,
                                        const RecordingInfo& info) {
    RecordingEntry entry;
    entry.size = size;
    entry.fileName = fileName;
    entry.direction = info.direction;
    entry.phoneNumber = info.phoneNumber;
    entry.startKey = info.startKey();
    entry.folder = withTrailingSlash(folder);
    return entry;
}

const RecordingRow& recordingColumnTitles() {
    static const RecordingRow titles = {"序号",    "文件名",   "录音类型", "电话号码",
                                        "主/被叫", "开始时间", "录音时长", "文件长度"};
    return titles;
}

std::string withTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace tapelink
