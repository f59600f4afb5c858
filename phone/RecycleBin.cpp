#include "phone/RecycleBin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/fs/FileErrorText.h"
#include "phone/PhoneFolderScan.h"
#include "phone/PhoneIndexFile.h"
#include "phone/PhoneVolume.h"
#include "phone/RecycleMessages.h"
#include "phone/RestoreCopy.h"
#include "phone/VolumeMessages.h"
#include "recording/RecordingKind.h"

namespace tapelink {

namespace {

constexpr std::size_t kRecordingNameLength = 12;

bool nameTaken(int folderFd, const std::string& name) {
    struct stat info {};
    return ::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool isBinName(const std::string& name) {
    return name.size() == kRecordingNameLength && name.compare(0, 2, "VO") == 0;
}

}  // namespace

std::string restoredFileName(char kindLetter, std::uint16_t serial) {
    switch (kindLetter) {
        case 'A':
        case 'B':
        case 'C':
        case 'I':
        case 'K':
            break;
        default:
            kindLetter = 'J';
    }
    char name[16];
    std::snprintf(name, sizeof name, "VO%c%05u.WAV", kindLetter, static_cast<unsigned>(serial));
    return name;
}

RecycleBin::RecycleBin(std::string driveRoot, PhoneIndexHeader& header, IMessageSink& messages)
    : m_store(std::move(driveRoot)), m_header(header), m_messages(messages) {}

std::vector<RecordingEntry> RecycleBin::RefreshList(int* renamed) const {
    std::vector<RecordingEntry> entries;
    if (renamed != nullptr) *renamed = 0;
    if (driveRoot().empty()) return entries;
    const std::string folderPath = m_store.recycleFolder();
    const PhoneVolume volume(driveRoot());
    const RecordingFolder folder(volume.openFolder(PhoneVolume::kRecycle));
    const int moved =
        scanRecordingFolder(folder, isBinName, m_messages, [&](const std::string& name, const FolderRecording& file) {
            entries.push_back(RecordingEntry::fromInfo(folderPath, name, file.size, file.info));
        });
    if (renamed != nullptr) *renamed = moved;
    return entries;
}

IndexWriteCheck RecycleBin::checkWritable(const PhoneVolume& volume) const {
    const IndexWriteCheck check = checkIndexWritable(volume, m_header);
    if (check != IndexWriteCheck::Ok) m_messages.showMessage(refusalText(check));
    return check;
}

bool RecycleBin::serialsLeft() const {
    return m_header.nextSerial() != PhoneIndexHeader::kSerialsExhausted;
}

void RecycleBin::useUpSerial() {
    m_header.setNextSerial(static_cast<std::uint16_t>(m_header.nextSerial() + 1));
}

RestoreOutcome RecycleBin::RestoreOne(const IListTexts& list, int row, RestoredFile* restored) {
    const PhoneVolume volume(driveRoot());
    if (checkWritable(volume) != IndexWriteCheck::Ok) return RestoreOutcome::Refused;
    return restoreOne(volume, list, row, restored);
}

RestoreOutcome RecycleBin::restoreOne(const PhoneVolume& volume, const IListTexts& list, int row,
                                      RestoredFile* restored) {
    if (!serialsLeft()) {
        m_messages.showMessage(kSerialsExhausted);
        return RestoreOutcome::SerialsExhausted;
    }
    // The row may be gone when the telephone was removed meanwhile.
    const std::string binName = row >= 0 && row < list.rowCount() ? list.cellText(row, 1) : std::string();
    if (binName.size() < 3) {
        m_messages.showMessage(kRestoreFileFailed);
        return RestoreOutcome::Failed;
    }

    const FileDescriptor voice = volume.openFolder(PhoneVolume::kVoice);
    const FileDescriptor bin = volume.openFolder(PhoneVolume::kRecycle);
    std::string voiceName;
    for (;;) {
        voiceName = restoredFileName(binName[2], m_header.nextSerial());
        const auto result = voice.valid() && nameTaken(voice.get(), voiceName)
                                ? RestoreCopyResult::TargetExists
                                : copyNoReplace(bin.get(), binName, voice.get(), voiceName);
        if (result == RestoreCopyResult::Copied) break;
        if (result == RestoreCopyResult::TargetExists) {
            // The serial is taken by a recording already on the telephone: it is used up.
            useUpSerial();
            if (serialsLeft()) continue;
            m_messages.showMessage(kSerialsExhausted);
            return RestoreOutcome::SerialsExhausted;
        }
        if (result == RestoreCopyResult::SourceFolderMissing || result == RestoreCopyResult::TargetFolderMissing) {
            m_messages.showMessage(kRestorePathError);
            return RestoreOutcome::PathError;
        }
        m_messages.showMessage(kRestoreFileFailed);
        return RestoreOutcome::Failed;
    }

    useUpSerial();
    m_header.setRecordingCount(static_cast<std::uint16_t>(m_header.recordingCount() + 1));
    if (restored != nullptr) *restored = {binName, voiceName};
    // The recording is safely in voice/ now; a bin copy that stays behind is told and the job goes on.
    if (::unlinkat(bin.get(), binName.c_str(), 0) != 0) {
        m_messages.showMessage(fileErrorText({errno, std::generic_category()}, binName), MessageIcon::Stop);
    }
    return RestoreOutcome::Restored;
}

RestoreReport RecycleBin::RestoreWorker(const TransferJob& job, const IListTexts& list, std::stop_token stop,
                                        IRestoreObserver& observer) {
    RestoreReport report;
    observer.progressStarted(job.count());
    const PhoneVolume volume(driveRoot());
    if (checkWritable(volume) != IndexWriteCheck::Ok) {
        // Nothing was done and the header must not be written; the telephone is read again.
        report.refused = true;
        report.failed = job.count();
        observer.progressEnded();
        observer.listRefreshRequested();
        observer.phoneRescanRequested();
        return report;
    }
    for (int i = 0; i < job.count(); ++i) {
        if (stop.stop_requested()) {
            report.stopped = true;
            break;
        }
        RestoredFile restored;
        if (restoreOne(volume, list, job.rows[static_cast<std::size_t>(i)], &restored) == RestoreOutcome::Restored) {
            report.restored.push_back(restored);
        } else {
            ++report.failed;
        }
        observer.progressAdvanced(i + 1);
    }
    // The counters reach the telephone before the main window reads them back.
    observer.savePhoneIndexRequested();
    observer.progressEnded();
    if (!report.stopped) {
        m_messages.showMessage(kRestoreDone, MessageIcon::Information);
        observer.listRefreshRequested();
    }
    observer.phoneRescanRequested();
    return report;
}

int RecycleBin::PermanentDelete(const std::vector<std::string>& fileNames, const DeletedCallback& deleted) {
    m_deleteRefused = false;
    if (fileNames.empty()) {
        m_messages.showMessage(kNoBinRowSelected);
        return 0;
    }
    if (driveRoot().empty()) return 0;
    // The names were listed from the volume the header was read from; on another one they mean other files.
    const PhoneVolume volume(driveRoot());
    if (!m_header.origin.sameRoot(volume.identity())) {
        m_deleteRefused = true;
        m_messages.showMessage(kDeviceNotReady);
        return 0;
    }
    if (volume.readOnly()) {
        m_deleteRefused = true;
        m_messages.showMessage(kPhoneReadOnly);
        return 0;
    }
    int count = 0;
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        if (const auto error = removeRecording(volume.openFolder(PhoneVolume::kRecycle).get(), fileNames[i])) {
            m_messages.showMessage(fileErrorText(error, fileNames[i]), MessageIcon::Stop);
            break;
        }
        ++count;
        if (deleted) deleted(i);
    }
    return count;
}

bool RecycleBin::savePhoneIndex() const {
    return !driveRoot().empty() && writeIndexHeader(PhoneVolume(driveRoot()), m_header) == IndexWriteCheck::Ok;
}

std::error_code removeRecording(int folderFd, const std::string& name) {
    if (folderFd < 0) return std::make_error_code(std::errc::no_such_file_or_directory);
    // Only a regular file of the folder's own file system; a link or anything else counts as not there.
    if (!isRegularFileAt(folderFd, name)) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (::unlinkat(folderFd, name.c_str(), 0) == 0) return {};
    return {errno, std::generic_category()};
}

}  // namespace tapelink
