#pragma once

#include <optional>

#include "common/IMessageSink.h"

namespace tapelink::cli {

// The sound output's volume and mute switch through the system mixer, as `volume` and `mute` print and set
// them. Each returns the command's exit status.

// Prints the volume in percent, or sets it to percent (0..100) when one is given.
int printOrSetVolume(std::optional<int> percent, IMessageSink& messages);
// Prints "on" or "off", or sets the switch when one is given.
int printOrSetMute(std::optional<bool> muted, IMessageSink& messages);

}  // namespace tapelink::cli
