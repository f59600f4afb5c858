#pragma once

#include "sharing/IAudioEncoder.h"

namespace tapelink {

// Sends the original recording as it is: a byte-identical copy.
class WavCopyEncoder : public IAudioEncoder {
public:
    bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded, std::string&) override {
        encoded = original;
        return true;
    }
};

}  // namespace tapelink
