#include "catalogue/ArchivedRecordings.h"

#include <fcntl.h>
#include <unistd.h>

#include "catalogue/ArchiveMarks.h"
#include "common/Sha256.h"
#include "phone/PhoneStore.h"

namespace tapelink {

namespace {

constexpr std::time_t kSecondsPerDay = 24 * 60 * 60;

int twoDigits(const std::string& text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

class FolderFd {
public:
    explicit FolderFd(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~FolderFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FolderFd(const FolderFd&) = delete;
    FolderFd& operator=(const FolderFd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

bool oldEnough(const RecordingEntry& entry, const ClearingRule& rule) {
    if (!rule.olderThanDays) return true;
    const std::string& key = entry.startKey;
    if (key.size() != 10 || key.find_first_not_of("0123456789") != std::string::npos) return false;
    std::tm start{};
    start.tm_year = 100 + twoDigits(key, 0);
    start.tm_mon = twoDigits(key, 2) - 1;
    start.tm_mday = twoDigits(key, 4);
    start.tm_hour = twoDigits(key, 6);
    start.tm_min = twoDigits(key, 8);
    start.tm_isdst = -1;
    const std::time_t started = std::mktime(&start);
    if (started == static_cast<std::time_t>(-1)) return false;
    return rule.now - started > static_cast<std::time_t>(*rule.olderThanDays) * kSecondsPerDay;
}

std::vector<std::string> verifiedArchivedNames(IArchiveCatalogue& catalogue, const std::string& archiveFolder,
                                               const std::string& driveRoot, const std::vector<RecordingEntry>& entries,
                                               const ClearingRule& rule, std::stop_token stop,
                                               const std::function<void(int, int)>& progress) {
    std::vector<std::string> names;
    const FolderFd voice(PhoneStore(withTrailingSlash(driveRoot)).voiceFolder());
    const FolderFd archive(withTrailingSlash(archiveFolder));
    if (voice.get() < 0 || archive.get() < 0) return names;
    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total && !stop.stop_requested(); ++i) {
        const RecordingEntry& entry = entries[static_cast<std::size_t>(i)];
        if (progress) progress(i, total);
        if (!oldEnough(entry, rule)) continue;
        std::vector<CatalogueRecord> rows;
        if (catalogue.findByContent(contentKeyOf(entry), rows) != CatalogueStatus::Ok || rows.empty()) continue;
        const auto onPhone = hashFileAt(voice.get(), entry.fileName);
        if (!onPhone) continue;
        for (const CatalogueRecord& row : rows) {
            if (row.sha256 != onPhone->sha256) continue;
            const auto inArchive = hashFileAt(archive.get(), row.fileName);
            if (inArchive && inArchive->sha256 == row.sha256) {
                names.push_back(entry.fileName);
                break;
            }
        }
    }
    if (progress) progress(total, total);
    return names;
}

}  // namespace tapelink
