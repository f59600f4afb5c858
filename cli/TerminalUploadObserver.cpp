#include "cli/TerminalUploadObserver.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/CellText.h"
#include "phone/DeviceStatus.h"

namespace tapelink::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr const char* kNoTerminalToAsk =
    "没有终端可以询问是否覆盖已存在的文件：这些文件保持不变。可用 --overwrite all（覆盖）或 --overwrite none"
    "（保留）选择。";

}  // namespace

TerminalUploadObserver::TerminalUploadObserver(std::vector<std::string> names, OverwritePolicy policy,
                                               std::stop_source stop, const std::atomic<bool>& interrupted)
    : m_names(std::move(names)),
      m_policy(policy),
      m_stop(std::move(stop)),
      m_interrupted(interrupted),
      m_barShown(::isatty(STDERR_FILENO) == 1),
      m_promptOnTerminal(::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1),
      m_started(std::chrono::steady_clock::now()) {}

void TerminalUploadObserver::checkInterrupt() {
    if (m_interrupted.load()) m_stop.request_stop();
}

std::string TerminalUploadObserver::fileNameOfRow(int row) {
    checkInterrupt();
    return row >= 0 && row < static_cast<int>(m_names.size()) ? m_names[static_cast<std::size_t>(row)] : std::string();
}

void TerminalUploadObserver::setStatusText(const std::string& statusText) {
    const std::string prefix = kStatusUploadingPrefix;
    if (statusText.rfind(prefix, 0) == 0) m_fileName = cellText(statusText.substr(prefix.size()));
    drawBar(true);
}

void TerminalUploadObserver::setProgressRange(int maximum) {
    m_maximum = maximum;
}

void TerminalUploadObserver::setProgressPosition(int position) {
    m_position = position;
    checkInterrupt();
    drawBar(true);
}

void TerminalUploadObserver::setProgressVisible(bool visible) {
    if (!visible) clearBar();
}

void TerminalUploadObserver::showMessage(const std::string& text, MessageIcon) {
    clearBar();
    std::cerr << cellText(text) << '\n';
}

void TerminalUploadObserver::uploadFailed(const std::string& fileName, const std::string& reason) {
    clearBar();
    if (fileName.empty()) {
        std::cerr << "文件上传失败：" << reason << '\n';
    } else {
        std::cerr << "文件上传失败：" << cellText(fileName) << "（" << reason << "）\n";
    }
}

OverwriteDecision TerminalUploadObserver::askOverwrite(const std::string& promptText) {
    switch (m_policy) {
        case OverwritePolicy::All:
            return OverwriteDecision::YesToAll;
        case OverwritePolicy::None:
            return OverwriteDecision::NoToAll;
        case OverwritePolicy::Ask:
            break;
    }
    if (!m_promptOnTerminal) {
        // Keeping every existing file is the safe answer, but a script must learn that it was given.
        clearBar();
        std::cerr << kNoTerminalToAsk << '\n';
        return OverwriteDecision::NoToAll;
    }
    clearBar();
    for (;;) {
        std::cerr << cellText(promptText) << " [Y 是 / A 全是 / N 否 / C 全否] " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            checkInterrupt();
            std::cerr << '\n';
            return OverwriteDecision::NoToAll;
        }
        const auto first = answer.find_first_not_of(" \t");
        const char key = first == std::string::npos ? '\0' : answer[first];
        switch (key) {
            case 'y':
            case 'Y':
                return OverwriteDecision::Yes;
            case 'a':
            case 'A':
                return OverwriteDecision::YesToAll;
            case 'n':
            case 'N':
                return OverwriteDecision::No;
            case 'c':
            case 'C':
                return OverwriteDecision::NoToAll;
            default:
                break;
        }
    }
}

void TerminalUploadObserver::bytesCopied(std::uint64_t count) {
    m_bytes += count;
    checkInterrupt();
    drawBar(false);
}

void TerminalUploadObserver::drawBar(bool force) {
    if (!m_barShown) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    const int filled = m_maximum > 0 ? m_position * kBarWidth / m_maximum : kBarWidth;
    const double seconds = std::chrono::duration<double>(now - m_started).count();
    const double rate = seconds > 0 ? static_cast<double>(m_bytes) / seconds / (1024.0 * 1024.0) : 0.0;
    std::fprintf(stderr, "\r[%s%s] %d/%d %s %.1f MB/s\x1b[K",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kBarWidth - filled), '-').c_str(), m_position, m_maximum,
                 m_fileName.c_str(), rate);
    std::fflush(stderr);
    m_barDrawn = true;
}

void TerminalUploadObserver::clearBar() {
    if (!m_barDrawn) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_barDrawn = false;
}

}  // namespace tapelink::cli
