#pragma once

#include <string>

#include "contacts/RecordingNote.h"

namespace tapelink {

// A team recording's note with who changed it last and when, as the server recorded them.
struct TeamNote {
    RecordingNote note;
    std::string editedBy;  // the server role that wrote it; empty when there is no note
    std::string editedAt;  // ISO 8601 with the offset, as the server gives it
};

}  // namespace tapelink
