#include "search/SearchResultRow.h"

#include <sys/stat.h>

#include "recording/CallDirection.h"
#include "recording/DisplayText.h"
#include "recording/RecordingKind.h"

namespace tapelink {

namespace {

constexpr std::size_t kNameLength = 12;

const char* sideText(int direction) {
    return direction == static_cast<int>(CallDirection::Called) ? "被叫" : "主叫";
}

bool beginsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

const std::array<SearchColumn, kSearchColumnCount>& searchColumns() {
    static const std::array<SearchColumn, kSearchColumnCount> columns = {{
        {"序号", 40},
        {"文件名", 90},
        {"录音类型", 70},
        {"电话号码", 100},
        {"主/被叫", 60},
        {"开始时间", 120},
        {"录音时长", 90},
        {"文件长度", 70},
        {"路径", 190},
    }};
    return columns;
}

std::string searchKindText(const std::string& fileName) {
    const auto letter = kindOfFileName(fileName);
    if (!letter) return {};
    if (!letter->isNew && !beginsWith(fileName, "VO")) return {};
    return plainKindText(letter->kind);
}

SearchResultRow searchResultRow(const RecordingEntry& entry, int position) {
    SearchResultRow row;
    row[0] = std::to_string(position + 1);
    row[1] = entry.fileName;
    row[2] = searchKindText(entry.fileName);
    row[3] = gbkToUtf8(entry.phoneNumber);
    row[4] = sideText(entry.direction);
    row[5] = startTimeText(entry.startKey);
    row[6] = durationText(entry.size);
    row[7] = sizeText(entry.size);
    row[8] = entry.folder + (entry.storedName.empty() ? entry.fileName : entry.storedName);
    return row;
}

std::optional<SearchResultRow> addedFileRow(const std::string& path, int position) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string name = path.substr(slash + 1);
    if (name.size() != kNameLength || !beginsWith(name, "VO")) return std::nullopt;

    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const auto info = readRecordingInfo(path);
    if (!info) return std::nullopt;

    SearchResultRow row;
    if (const auto letter = kindOfFileName(name)) {
        row[2] = plainKindText(letter->kind);
        switch (letter->kind) {
            case RecordingKind::Call:
                if (!isValidDirection(info->direction)) return std::nullopt;
                row[3] = gbkToUtf8(info->phoneNumber);
                row[4] = sideText(info->direction);
                break;
            case RecordingKind::Message:
                row[3] = gbkToUtf8(info->phoneNumber);
                row[4] = "被叫";
                break;
            case RecordingKind::Local:
                break;
        }
    }
    row[0] = std::to_string(position + 1);
    row[1] = name;
    row[5] = startTimeText(info->startKey());
    row[6] = durationText(status.st_size);
    row[7] = sizeText(status.st_size);
    row[8] = path;
    return row;
}

}  // namespace tapelink
