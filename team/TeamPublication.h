#pragma once

#include <string>

#include "contacts/RecordingNote.h"
#include "team/TeamRecording.h"

namespace tapelink {

// One recording on its way to the team's server: its row, its bytes and its note.
struct TeamPublication {
    TeamRecording recording;
    std::string audio;
    RecordingNote note;
};

}  // namespace tapelink
