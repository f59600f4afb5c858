#pragma once

#include "recording/RecordingEntry.h"

namespace tapelink {

// The eight texts of a phone-list row; position is the row's 0-based place in the list.
// New recordings (I, J, K) show their own kind texts here.
RecordingRow phoneListRow(const RecordingEntry& entry, int position);

}  // namespace tapelink
