#pragma once

#include "cli/audio/AudioCommandTable.h"
#include "common/IMessageSink.h"

namespace tapelink::cli {

// The entry table of the audio module, loaded with dlopen when an audio command runs: first from the
// executable's own folder, then from ../lib/tapelink beside it. Null, after telling messages which module
// failed and the loader's reason, when it cannot be used. The module is never unloaded: Qt Multimedia and
// the sound server's client may keep threads until the process ends.
const TapelinkAudioCommands* loadAudioCommands(IMessageSink& messages);

}  // namespace tapelink::cli
