#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapelink {

// Turns one recording's file bytes into the bytes sent in a share.
class IAudioEncoder {
public:
    virtual ~IAudioEncoder() = default;
    // False with the reason in error when the recording cannot be converted or the result failed its check.
    virtual bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                        std::string& error) = 0;
};

}  // namespace tapelink
