#include "phone/PhoneListDelete.h"

#include "common/fs/FileErrorText.h"
#include "phone/PhoneIndexFile.h"
#include "phone/PhoneVolume.h"
#include "phone/RecycleMessages.h"

namespace tapelink {

PhoneDeleteResult PermanentDelete(const std::string& driveRoot, const std::vector<std::string>& fileNames,
                                  PhoneIndexHeader& header, IMessageSink& messages, const DeletedCallback& deleted,
                                  const DeleteGate& mayDelete) {
    PhoneDeleteResult result;
    if (fileNames.empty()) {
        messages.showMessage(kNoPhoneRowSelected);
        return result;
    }
    if (driveRoot.empty()) return result;

    // The counters must be able to follow the files, on the volume the rows were read from.
    const PhoneVolume volume(driveRoot);
    result.refusal = checkIndexWritable(volume, header);
    if (result.refusal != IndexWriteCheck::Ok) {
        messages.showMessage(refusalText(result.refusal));
        return result;
    }
    std::string failure;
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        // Looked up for each file: a folder moved away meanwhile ends the delete instead of being followed.
        const FileDescriptor voice = volume.openFolder(PhoneVolume::kVoice);
        if (mayDelete && voice.valid() && !mayDelete(i, voice.get())) continue;
        if (const auto error = removeRecording(voice.get(), fileNames[i])) {
            failure = fileErrorText(error, fileNames[i]);
            result.failed = true;
            break;
        }
        ++result.deleted;
        // The in-memory count is the number of listed rows, so it can't go below zero in practice.
        if (header.recordingCount() > 0) {
            header.setRecordingCount(static_cast<std::uint16_t>(header.recordingCount() - 1));
        }
        if (deleted) deleted(i);
    }
    if (header.recordingCount() == 0) header.setNextSerial(1);
    // The counters on the telephone follow its files, also when a file in the middle could not go.
    result.headerWritten = writeIndexHeader(volume, header) == IndexWriteCheck::Ok;
    if (result.failed) messages.showMessage(failure, MessageIcon::Stop);
    return result;
}

}  // namespace tapelink
