#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "phone/IUploadObserver.h"

namespace tapelink::cli {

enum class OverwritePolicy { Ask, All, None };

// The upload worker's user on a terminal: messages on stderr, a progress bar on stderr when it is a
// terminal, and the overwrite prompt answered on the terminal (Y, A, N, C) or by the policy.
class TerminalUploadObserver : public IUploadObserver {
public:
    // names: column 1 of the scanned list. interrupted is set by the signal handler; the observer turns
    // it into a stop request at the next call.
    TerminalUploadObserver(std::vector<std::string> names, OverwritePolicy policy, std::stop_source stop,
                           const std::atomic<bool>& interrupted);

    std::string fileNameOfRow(int row) override;
    void setStatusText(const std::string& statusText) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void showMessage(const std::string& text, MessageIcon icon) override;
    // "文件上传失败：NAME（REASON）": a run with many failures says which files and why.
    void uploadFailed(const std::string& fileName, const std::string& reason) override;
    OverwriteDecision askOverwrite(const std::string& promptText) override;
    void bytesCopied(std::uint64_t count) override;
    void fileUploaded(const std::string& fileName) override { m_uploaded.push_back(fileName); }

    // The files that reached the upload folder, in order.
    const std::vector<std::string>& uploadedNames() const { return m_uploaded; }

private:
    void checkInterrupt();
    void drawBar(bool force);
    void clearBar();

    std::vector<std::string> m_names;
    std::vector<std::string> m_uploaded;
    OverwritePolicy m_policy;
    std::stop_source m_stop;
    const std::atomic<bool>& m_interrupted;
    bool m_barShown = false;
    bool m_barDrawn = false;
    bool m_promptOnTerminal;
    std::string m_fileName;
    int m_maximum = 0;
    int m_position = 0;
    std::uint64_t m_bytes = 0;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace tapelink::cli
