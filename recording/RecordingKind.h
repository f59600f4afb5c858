#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tapelink {

enum class RecordingKind { Call, Local, Message };

// The kind letter of a recording's name (its third character): A/B/C, or I/J/K (letter + 8) for
// recordings the user has not heard yet.
struct KindLetter {
    RecordingKind kind;
    bool isNew;
};

std::optional<KindLetter> kindFromLetter(char letter);

// The kind letter of a recording file name, when the name has one of the six.
std::optional<KindLetter> kindOfFileName(const std::string& fileName);

// "通话录音", "本地录音", "留言录音", or with isNew the texts with "新" in front.
std::string kindText(KindLetter letter);
std::string plainKindText(RecordingKind kind);

// Name tests for the telephone's folders: exactly 12 characters, "VOA" … "VOK" or the legacy "REC".
bool isRecordingFileName(const std::string& name);
bool isLegacyRecordingName(const std::string& name);
// A name ending in ".wav", in any case: what the telephone and the archive hold as recordings.
bool hasWaveExtension(std::string_view name);
// REC00003.WAV -> VOC00003.WAV
std::string modernNameOf(const std::string& legacyName);

}  // namespace tapelink
