#include "cli/RecordingFields.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CellText.h"
#include "phone/DisplayText.h"
#include "phone/RecordingKind.h"

namespace tapelink::cli {

namespace {

// "2024-03-05T14:30:00" from "2403051430"; null for a key that names no time.
nlohmann::ordered_json isoStart(const std::string& key) {
    if (key.size() != 10 || key.find_first_not_of("0123456789") != std::string::npos) return nullptr;
    const auto field = [&](std::size_t at) { return std::stoi(key.substr(at, 2)); };
    const int month = field(2);
    const int day = field(4);
    if (month < 1 || month > 12 || day < 1 || day > 31 || field(6) > 23 || field(8) > 59) return nullptr;
    return "20" + key.substr(0, 2) + '-' + key.substr(2, 2) + '-' + key.substr(4, 2) + 'T' + key.substr(6, 2) + ':' +
           key.substr(8, 2) + ":00";
}

const char* kindWord(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Call:
            return "call";
        case RecordingKind::Message:
            return "message";
        case RecordingKind::Local:
            return "local";
    }
    return "";
}

}  // namespace

nlohmann::ordered_json recordingFields(const RecordingEntry& entry, const std::string& sideText) {
    nlohmann::ordered_json fields;
    fields["file"] = cellText(entry.fileName);
    fields["bytes"] = entry.size;
    fields["seconds"] = durationSeconds(static_cast<std::int64_t>(entry.size));
    fields["start"] = isoStart(entry.startKey);
    const auto letter = kindOfFileName(entry.fileName);
    fields["kind"] = letter ? nlohmann::ordered_json(kindWord(letter->kind)) : nullptr;
    // The lists differ in which kinds show a side: the word always says what the row's cell says.
    if (sideText == "主叫") {
        fields["direction"] = "caller";
    } else if (sideText == "被叫") {
        fields["direction"] = "called";
    } else {
        fields["direction"] = nullptr;
    }
    return fields;
}

std::optional<RecordingEntry> recordingAt(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<RecordingInfo> info;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) info = readRecordingInfoFrom(fd);
    ::close(fd);
    if (!info) return std::nullopt;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return RecordingEntry::fromInfo(folder, name, static_cast<std::uint64_t>(status.st_size), *info);
}

}  // namespace tapelink::cli
