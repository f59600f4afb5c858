#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapelink {

enum class ShareOutcome { Written, Stopped, Failed };

// How a share run ended. Failed and Stopped leave nothing behind; message is the text for the user.
struct ShareReport {
    ShareOutcome outcome = ShareOutcome::Failed;
    std::string message;
    std::vector<std::string> names;  // the recordings' names in the share, in plan order
    std::uint64_t size = 0;          // bytes of the written share

    bool operator==(const ShareReport&) const = default;
};

// Common mail programs refuse attachments above about this size.
inline constexpr std::uint64_t kMailLimitBytes = 20ull * 1024 * 1024;

// "分享文件大小为 23.4 MB，超过常见邮件附件上限（20 MB），可能无法通过邮件发送。"; empty when size is within
// the limit.
std::string mailLimitWarning(std::uint64_t size);

}  // namespace tapelink

namespace tapelink {

// The reason a write failed, for the user: a full disk, a read-only disk and a refused permission in words.
std::string shareErrorText(int errorNumber);

}  // namespace tapelink
