#include "cli/UploadNewRun.h"

#include <unistd.h>

#include "archive/ArchiveOnPhone.h"
#include "cli/ArchiveAccess.h"
#include "cli/PhoneListScan.h"
#include "cli/TerminalUploadObserver.h"
#include "platform/LinuxDeviceLocator.h"

namespace tapelink::cli {

UploadNewResult runUploadNew(IArchiveCatalogueOpener& catalogues, const std::string& driveRoot,
                             const std::string& archiveFolder, IMessageSink& messages, std::stop_source stop,
                             const std::atomic<bool>& interrupted) {
    UploadNewResult result;
    if (archivePlace(driveRoot, archiveFolder) == ArchivePlace::OnPhone) {
        messages.showMessage(archiveOnPhoneText(archiveFolder), MessageIcon::Stop);
        return result;
    }
    const PhoneList list = scanPhoneList(driveRoot, messages);
    if (!phoneListReadable(list.result, messages)) return result;
    // Held from before the catalogue is read until the last copy is recorded: a second program adding to
    // this archive waits, then sees everything this one copied.
    const std::unique_ptr<IArchiveWriteLock> lock = catalogues.writeLock(archiveFolder);
    if (!lock->held() && ::access(archiveFolder.c_str(), F_OK) == 0) {
        messages.showMessage(lock->failure(), MessageIcon::Warning);
        return result;
    }
    // A missing folder is told here.
    OpenArchive archive = openArchive(catalogues, archiveFolder, messages);
    if (!archive.catalogue) return result;
    std::vector<std::string> names;
    for (const auto& row : list.rows) names.push_back(row[1]);
    TerminalUploadObserver observer(std::move(names), OverwritePolicy::None, stop, interrupted);
    NewRecordingOffload offload(*archive.catalogue, archiveFolder,
                                {"upload --new", LinuxDeviceLocator().phoneSerial(driveRoot)});
    result.report = offload.run(driveRoot, list.entries, stop.get_token(), interrupted, observer);
    result.ran = true;
    return result;
}

std::string uploadNewSummary(const OffloadReport& report) {
    return "新存档 " + std::to_string(report.archived) + " 个，此前已存档 " + std::to_string(report.alreadyArchived) +
           " 个，失败 " + std::to_string(report.failed) + " 个";
}

}  // namespace tapelink::cli
