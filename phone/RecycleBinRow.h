#pragma once

#include "recording/RecordingEntry.h"

namespace tapelink {

// The eight texts of a recycle-bin row. Unlike the phone list, both letters of a kind show the plain
// kind text; a name without one of the six kind letters leaves kind, number and side empty.
RecordingRow recycleBinRow(const RecordingEntry& entry, int position);

}  // namespace tapelink
