#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tapelink {

// The 23-byte metadata block at offset 256 of every recording file.
struct RecordingInfo {
    static constexpr std::size_t kOffset = 256;
    static constexpr std::size_t kSize = 23;
    static constexpr std::size_t kPhoneNumberField = 17;
    // A file must hold the whole block to count as a recording.
    static constexpr std::size_t kMinimumFileSize = kOffset + kSize;

    std::uint8_t direction = 0;
    std::string phoneNumber;  // raw bytes as stored, at most 16
    std::uint8_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;

    static RecordingInfo fromBlock(const std::array<std::uint8_t, kSize>& block);
    std::array<std::uint8_t, kSize> toBlock() const;

    // Ten digits YYMMDDhhmm. Every field is reduced modulo 100 so the key always has ten digits.
    std::string startKey() const;

    bool operator==(const RecordingInfo&) const = default;
};

// Reads the block of one file: nullopt when the file can't be opened or is shorter than the block's end.
// The direction byte is not checked here; callers decide what a valid recording is.
std::optional<RecordingInfo> readRecordingInfo(const std::string& path);
// The same for a file named relative to an open folder descriptor.
std::optional<RecordingInfo> readRecordingInfoAt(int folderFd, const std::string& name);
// The same for a file already open for reading.
std::optional<RecordingInfo> readRecordingInfoFrom(int fileFd);

}  // namespace tapelink
