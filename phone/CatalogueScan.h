#pragma once

#include <string>

#include "common/IMessageSink.h"
#include "phone/PhoneIndexHeader.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// What the catalogue scan fills: the main window's list and caption, or the CLI's table.
class ICatalogueView {
public:
    virtual ~ICatalogueView() = default;
    // The view shows the status at once, so it is visible while the scan runs.
    virtual void setStatusText(const std::string& statusText) = 0;
    virtual void clearRows() = 0;
    // position is the 0-based place of the new row, always the current end of the list.
    virtual void addRecordingRow(const RecordingEntry& entry, int position) = 0;
};

struct ScanResult {
    bool indexValid = false;  // false: index missing, short or of the wrong magic; nothing listed
    int recordingCount = 0;
    int renamed = 0;        // legacy names moved; the folder was then listed again before any row was added
    bool readOnly = false;  // the cleared fields could not be written: the user was told once

    bool operator==(const ScanResult&) const = default;
};

// Reads the telephone's catalogue into the view: checks the index header (and zeroes its cleared
// fields on the telephone when any is set), moves legacy REC names to VO names, and adds one row per
// valid recording in the folder's listing order. header receives the index as read, with
// recordingCount set to the number of rows listed, and remembers the volume it came from. Nothing on the
// telephone is reached through a link.
ScanResult ScanCatalogue(const std::string& driveRoot, PhoneIndexHeader& header, ICatalogueView& view,
                         IMessageSink& messages);

}  // namespace tapelink
