#include "phone/PhoneListRow.h"

#include "recording/CallDirection.h"
#include "recording/DisplayText.h"
#include "recording/RecordingKind.h"

namespace tapelink {

RecordingRow phoneListRow(const RecordingEntry& entry, int position) {
    RecordingRow row;
    row[0] = std::to_string(position + 1);
    row[1] = entry.fileName;
    if (const auto letter = kindOfFileName(entry.fileName)) {
        row[2] = kindText(*letter);
        switch (letter->kind) {
            case RecordingKind::Call:
                row[3] = gbkToUtf8(entry.phoneNumber);
                row[4] = entry.direction == static_cast<int>(CallDirection::Called) ? "被叫" : "主叫";
                break;
            case RecordingKind::Message:
                row[3] = gbkToUtf8(entry.phoneNumber);
                row[4] = "被叫";
                break;
            case RecordingKind::Local:
                break;
        }
    }
    row[5] = startTimeText(entry.startKey);
    row[6] = durationText(entry.size);
    row[7] = sizeText(entry.size);
    return row;
}

}  // namespace tapelink
