#include "cli/UploadNewRun.h"

#include "archive/ArchiveOnPhone.h"
#include "archive/ArchiveWriteLock.h"
#include "cli/ArchiveAccess.h"
#include "cli/PhoneListScan.h"
#include "cli/TerminalUploadObserver.h"
#include "platform/LinuxDeviceLocator.h"

namespace tapelink::cli {

namespace {

constexpr const char* kArchiveLocked = "上传路径不能写入，新录音未上传！";

}  // namespace

UploadNewResult runUploadNew(const std::string& driveRoot, const std::string& archiveFolder, IMessageSink& messages,
                             std::stop_source stop, const std::atomic<bool>& interrupted) {
    UploadNewResult result;
    if (archivePlace(driveRoot, archiveFolder) == ArchivePlace::OnPhone) {
        messages.showMessage(archiveOnPhoneText(archiveFolder), MessageIcon::Stop);
        return result;
    }
    const PhoneList list = scanPhoneList(driveRoot, messages);
    // Held from before the catalogue is read until the last copy is recorded: a second program adding to
    // this archive waits, then sees everything this one copied.
    const ArchiveWriteLock lock(archiveFolder);
    OpenArchive archive = openArchive(archiveFolder, messages);
    if (!archive.catalogue) {
        if (!lock.held()) messages.showMessage(kArchiveLocked, MessageIcon::Warning);
        return result;
    }
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
    return std::to_string(report.archived) + " archived, " + std::to_string(report.alreadyArchived) +
           " already archived, " + std::to_string(report.failed) + " failed";
}

}  // namespace tapelink::cli
