#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "playback/ListeningPreferences.h"

namespace tapelink::cli {

// Plays the files one after another on the default sound output at the chosen speed, long silences shortened
// when asked, with a progress line "FILE  position / length" each in the recording's own time (rewritten in
// place on a terminal). Problems with a file or the sound
// device are reported through messages in the media layer's own words, and playing goes on with the next
// file. Runs its own Qt event loop until the last file ends.
void playFiles(const std::vector<std::string>& files, const ListeningPreferences& listening, IMessageSink& messages);

// "1:05.3" for 65 300 ms.
std::string clockText(std::int32_t ms);

}  // namespace tapelink::cli
