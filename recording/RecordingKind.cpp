#include "recording/RecordingKind.h"

#include <strings.h>

namespace tapelink {

namespace {
constexpr std::size_t kRecordingNameLength = 12;
}

std::optional<KindLetter> kindFromLetter(char letter) {
    switch (letter) {
        case 'A':
            return KindLetter{RecordingKind::Call, false};
        case 'B':
            return KindLetter{RecordingKind::Local, false};
        case 'C':
            return KindLetter{RecordingKind::Message, false};
        case 'I':
            return KindLetter{RecordingKind::Call, true};
        case 'J':
            return KindLetter{RecordingKind::Local, true};
        case 'K':
            return KindLetter{RecordingKind::Message, true};
        default:
            return std::nullopt;
    }
}

std::optional<KindLetter> kindOfFileName(const std::string& fileName) {
    if (fileName.size() < 3) return std::nullopt;
    return kindFromLetter(fileName[2]);
}

std::string plainKindText(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Call:
            return "通话录音";
        case RecordingKind::Local:
            return "本地录音";
        case RecordingKind::Message:
            return "留言录音";
    }
    return {};
}

std::string kindText(KindLetter letter) {
    return letter.isNew ? "新" + plainKindText(letter.kind) : plainKindText(letter.kind);
}

bool isRecordingFileName(const std::string& name) {
    if (name.size() != kRecordingNameLength || name.compare(0, 2, "VO") != 0) return false;
    return kindFromLetter(name[2]).has_value();
}

bool hasWaveExtension(std::string_view name) {
    return name.size() >= 4 && ::strncasecmp(name.data() + name.size() - 4, ".wav", 4) == 0;
}

bool isLegacyRecordingName(const std::string& name) {
    return name.size() == kRecordingNameLength && name.compare(0, 3, "REC") == 0;
}

std::string modernNameOf(const std::string& legacyName) {
    std::string name = legacyName;
    name[0] = 'V';
    name[1] = 'O';
    return name;
}

}  // namespace tapelink
