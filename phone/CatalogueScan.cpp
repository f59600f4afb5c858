#include "phone/CatalogueScan.h"

#include "common/fs/TemporaryFiles.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneFolderScan.h"
#include "phone/PhoneIndexFile.h"
#include "phone/PhoneVolume.h"
#include "phone/VolumeMessages.h"
#include "recording/RecordingKind.h"

namespace tapelink {

ScanResult ScanCatalogue(const std::string& driveRoot, PhoneIndexHeader& header, ICatalogueView& view,
                         IMessageSink& messages) {
    view.setStatusText(kStatusReading);
    view.clearRows();

    const PhoneVolume volume(driveRoot);
    if (readIndexHeader(volume, header) != IndexReadResult::Ok) return {};
    ScanResult result;
    result.indexValid = true;
    // A telephone that refuses writes is still listed, so its recordings can be uploaded; the user is told
    // once, when something had to be written.
    const bool mountedReadOnly = volume.readOnly();
    bool writeRefused = false;
    if (header.hasClearedFieldsSet()) {
        header.zeroClearedFields();
        writeRefused = writeIndexHeader(volume, header) == IndexWriteCheck::ReadOnly;
    }

    const std::string voiceFolder = withTrailingSlash(driveRoot) + "voice/";
    RecordingFolder folder(volume.openFolder(PhoneVolume::kVoice));
    // Legacy names that can't be moved are listed as they are.
    const AcceptName accept = mountedReadOnly ? AcceptName([](const std::string& name) {
        return isRecordingFileName(name) || isLegacyRecordingName(name);
    })
                                              : AcceptName(isRecordingFileName);
    std::vector<std::string> hidden;
    result.renamed = scanRecordingFolder(
        folder, accept, messages,
        [&](const std::string& name, const FolderRecording& file) {
            writeRefused = writeRefused || isLegacyRecordingName(name);
            view.addRecordingRow(RecordingEntry::fromInfo(voiceFolder, name, file.size, file.info),
                                 result.recordingCount);
            ++result.recordingCount;
        },
        &hidden);
    // Restores a killed process left half done; nothing but this program writes such names.
    if (folder.isOpen() && !mountedReadOnly) removeStaleTemporaries(folder.fd(), TemporaryKind::Restore, hidden);
    header.setRecordingCount(static_cast<std::uint16_t>(result.recordingCount));
    if (writeRefused) {
        result.readOnly = true;
        messages.showMessage(kPhoneReadOnly, MessageIcon::Warning);
    }
    return result;
}

}  // namespace tapelink
