#include "phone/RecycleBinRow.h"

#include "phone/PhoneListRow.h"
#include "recording/RecordingKind.h"

namespace tapelink {

RecordingRow recycleBinRow(const RecordingEntry& entry, int position) {
    RecordingRow row = phoneListRow(entry, position);
    if (const auto letter = kindOfFileName(entry.fileName)) row[2] = plainKindText(letter->kind);
    return row;
}

}  // namespace tapelink
