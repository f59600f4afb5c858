#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "phone/RecordingFolder.h"

namespace tapelink {

// Moves a legacy REC name in an open telephone folder to its VO name, never replacing a file. On failure the
// user is told which file could not be moved and nothing changes; the result is then empty.
std::string moveLegacyRecording(int folderFd, const std::string& legacyName, IMessageSink& messages);

using AcceptName = std::function<bool(const std::string& name)>;
using FoundRecording = std::function<void(const std::string& name, const FolderRecording& recording)>;

// Lists a telephone folder for recordings. Legacy REC names are moved to their VO names first, and when any
// was moved the folder is listed again: a move puts the file elsewhere in the listing, and the rows shown
// must be the rows the next listing gives. Then found is called, in listing order, for each accepted name
// whose file holds a valid metadata block. Returns how many names were moved. hidden, when given, gets the
// first listing's names that begin with a dot.
int scanRecordingFolder(const RecordingFolder& folder, const AcceptName& accept, IMessageSink& messages,
                        const FoundRecording& found, std::vector<std::string>* hidden = nullptr);

}  // namespace tapelink
