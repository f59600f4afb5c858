#include "phone/RecycleBin.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "phone/CallDirection.h"
#include "phone/CatalogueScan.h"
#include "phone/FileErrorText.h"
#include "phone/FolderListing.h"
#include "phone/RecordingKind.h"
#include "phone/RecycleMessages.h"
#include "phone/RestoreCopy.h"

namespace tapelink {

namespace {

constexpr std::size_t kRecordingNameLength = 12;

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::error_code removeFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return {};
    return {errno, std::generic_category()};
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

std::vector<RecordingEntry> RecycleBin::RefreshList() const {
    std::vector<RecordingEntry> entries;
    if (driveRoot().empty()) return entries;
    const std::string folder = m_store.recycleFolder();
    for (const ListedFile& file : listWavFiles(folder)) {
        std::string name = file.name;
        if (name.size() != kRecordingNameLength) continue;
        if (name.compare(0, 2, "VO") != 0) {
            if (!isLegacyRecordingName(name)) continue;
            name = moveLegacyRecording(folder, name, m_messages);
            if (name.empty()) continue;
        }
        const auto info = readRecordingInfo(folder + name);
        if (!info || !isValidDirection(info->direction)) continue;
        entries.push_back(RecordingEntry::fromInfo(folder, name, file.size, *info));
    }
    return entries;
}

bool RecycleBin::serialsLeft() const {
    return m_header.nextSerial() != PhoneIndexHeader::kSerialsExhausted;
}

void RecycleBin::useUpSerial() {
    m_header.setNextSerial(static_cast<std::uint16_t>(m_header.nextSerial() + 1));
}

RestoreOutcome RecycleBin::RestoreOne(const IListTexts& list, int row, RestoredFile* restored) {
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

    const std::string voiceFolder = m_store.voiceFolder();
    std::string voiceName;
    for (;;) {
        voiceName = restoredFileName(binName[2], m_header.nextSerial());
        const auto result = pathExists(voiceFolder + voiceName)
                                ? RestoreCopyResult::TargetExists
                                : copyNoReplace(m_store.recycleFolder() + binName, voiceFolder, voiceName);
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
    if (const auto error = removeFile(m_store.recycleFolder() + binName)) {
        m_messages.showMessage(fileErrorText(error, binName), MessageIcon::Stop);
    }
    return RestoreOutcome::Restored;
}

RestoreReport RecycleBin::RestoreWorker(const TransferJob& job, const IListTexts& list, std::stop_token stop,
                                        IRestoreObserver& observer) {
    RestoreReport report;
    observer.progressStarted(job.count());
    for (int i = 0; i < job.count(); ++i) {
        if (stop.stop_requested()) {
            report.stopped = true;
            break;
        }
        RestoredFile restored;
        if (RestoreOne(list, job.rows[static_cast<std::size_t>(i)], &restored) == RestoreOutcome::Restored) {
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
        m_messages.showMessage(kRestoreDone);
        observer.listRefreshRequested();
    }
    observer.phoneRescanRequested();
    return report;
}

int RecycleBin::PermanentDelete(const std::vector<std::string>& fileNames, const DeletedCallback& deleted) {
    if (fileNames.empty()) {
        m_messages.showMessage(kNoBinRowSelected);
        return 0;
    }
    if (driveRoot().empty()) return 0;
    int count = 0;
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        if (const auto error = removeFile(m_store.recycleFolder() + fileNames[i])) {
            m_messages.showMessage(fileErrorText(error, fileNames[i]), MessageIcon::Stop);
            break;
        }
        ++count;
        if (deleted) deleted(i);
    }
    return count;
}

bool RecycleBin::savePhoneIndex() const {
    return !driveRoot().empty() && m_store.writeHeader(m_header);
}

}  // namespace tapelink
