#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/IMessageSink.h"

namespace tapelink::cli {

// Plays the files one after another on the default sound output, with a progress line
// "FILE  position / length" each (rewritten in place on a terminal). Problems with a file or the sound
// device are reported through messages in the media layer's own words, and playing goes on with the next
// file. Runs its own Qt event loop until the last file ends.
void playFiles(const std::vector<std::string>& files, IMessageSink& messages);

// "1:05.3" for 65 300 ms.
std::string clockText(std::int32_t ms);

}  // namespace tapelink::cli
