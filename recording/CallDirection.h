#pragma once

#include <cstdint>

namespace tapelink {

// The side this telephone took in a call, as the metadata block's first byte records it.
enum class CallDirection : std::uint8_t {
    Called = 'B',  // "被叫": this telephone was called
    Caller = 'Z',  // "主叫": this telephone called
};

inline bool isValidDirection(int value) {
    return value == static_cast<int>(CallDirection::Called) || value == static_cast<int>(CallDirection::Caller);
}

}  // namespace tapelink
