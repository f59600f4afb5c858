#pragma once

#include <string>
#include <string_view>

namespace tapelink {

// Replaces a settings file with bytes as a whole: written beside it, flushed to the disk, then renamed over
// it, so a crash or a full disk leaves the old file and no partial one. False when the file was not replaced.
bool replaceSettingsFile(const std::string& path, std::string_view bytes);

}  // namespace tapelink
