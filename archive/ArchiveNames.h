#pragma once

#include <string>

namespace tapelink {

// The telephone's name of a recording with a clash suffix: VOA00001.WAV, 2 -> VOA00001-2.WAV.
std::string suffixedName(const std::string& name, int suffix);

// A recording name the archive takes: a telephone name (12 characters, "VO" or "REC" first), or such a
// name with a clash suffix "-N" (N from 2) before its extension.
bool isArchiveRecordingName(const std::string& name);

// The name of a recording's compact (Ogg Opus) file beside it: VOA00001.WAV -> VOA00001.opus.
std::string compactNameOf(const std::string& name);

}  // namespace tapelink
