#include "phone/CatalogueScan.h"

#include "phone/CallDirection.h"
#include "phone/DeviceStatus.h"
#include "phone/FileErrorText.h"
#include "phone/FolderListing.h"
#include "phone/PhoneStore.h"
#include "phone/RecordingFolder.h"
#include "phone/RecordingKind.h"

namespace tapelink {

std::string moveLegacyRecording(const std::string& folder, const std::string& legacyName, IMessageSink& messages) {
    const std::string modernName = modernNameOf(legacyName);
    if (const auto error = renameNoReplace(folder + legacyName, folder + modernName)) {
        messages.showMessage(legacyRenameErrorText(error, legacyName, modernName), MessageIcon::Stop);
        return {};
    }
    return modernName;
}

ScanResult ScanCatalogue(const std::string& driveRoot, PhoneIndexHeader& header, ICatalogueView& view,
                         IMessageSink& messages) {
    view.setStatusText(kStatusReading);
    view.clearRows();

    const PhoneStore store(driveRoot);
    if (store.readHeader(header) != IndexReadResult::Ok) return {};
    if (header.hasClearedFieldsSet()) {
        header.zeroClearedFields();
        store.writeHeader(header);
    }

    const std::string voiceFolder = store.voiceFolder();
    int count = 0;
    const RecordingFolder folder(voiceFolder);
    for (std::string& name : folder.listWavNames()) {
        if (!isRecordingFileName(name)) {
            if (!isLegacyRecordingName(name)) continue;
            name = moveLegacyRecording(voiceFolder, name, messages);
            if (name.empty()) continue;
        }
        const auto file = folder.readRecording(name);
        if (!file || !isValidDirection(file->info.direction)) continue;
        view.addRecordingRow(RecordingEntry::fromInfo(voiceFolder, name, file->size, file->info), count);
        ++count;
    }
    header.setRecordingCount(static_cast<std::uint16_t>(count));
    return {true, count};
}

}  // namespace tapelink
