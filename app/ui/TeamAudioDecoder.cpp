#include "app/ui/TeamAudioDecoder.h"

#include <QApplication>

#include "platform/SndfileDecoder.h"
#include "search/TeamRecordingPath.h"

namespace tapelink {

namespace {

constexpr const char* kUnreachable = "无法连接团队服务器，请检查网络后重试！";
constexpr const char* kRefused = "您没有收听这条录音的权限！";
constexpr const char* kFailed = "无法从团队服务器取得这条录音！";

}  // namespace

bool TeamAudioDecoder::decode(const std::string& path, PcmAudio& audio, std::string& error) {
    std::string desk;
    std::string sha256;
    if (!parseTeamRecordingPath(path, desk, sha256)) return m_local.decode(path, audio, error);
    // A recording is at most some megabytes: fetched on this thread, with the wait cursor.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::unique_ptr<ITeamArchive> archive = m_open ? m_open() : nullptr;
    std::string bytes;
    const TeamStatus status = archive ? archive->fetchAudio(desk, sha256, bytes) : TeamStatus::ConnectionLost;
    QApplication::restoreOverrideCursor();
    switch (status) {
        case TeamStatus::Ok:
            return SndfileDecoder::decodeBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), audio, error);
        case TeamStatus::Refused:
            error = kRefused;
            return false;
        case TeamStatus::ConnectionLost:
            error = kUnreachable;
            return false;
        case TeamStatus::Failed:
            break;
    }
    error = kFailed;
    return false;
}

}  // namespace tapelink
