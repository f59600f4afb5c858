#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "phone/VolumeIdentity.h"

namespace tapelink {

// The first 124 bytes of the telephone's system/phone.bin. Only a few fields mean anything to us;
// every other byte is the telephone's own and is written back exactly as read.
struct PhoneIndexHeader {
    static constexpr std::size_t kSize = 124;
    static constexpr std::uint16_t kMagic = 0x7266;
    static constexpr std::uint16_t kSerialsExhausted = 0xFFFF;

    std::array<std::uint8_t, kSize> bytes{};
    // The volume and index file the bytes were read from; only that index is ever written with them. Unknown
    // (never read) or without an index (missing, short or of the wrong magic): the header is never written.
    VolumeIdentity origin;

    std::uint16_t magic() const { return word(0); }
    std::uint8_t clearedByte() const { return bytes[38]; }
    std::uint16_t clearedWord1() const { return word(44); }
    std::uint16_t clearedWord2() const { return word(46); }
    std::uint16_t clearedWord3() const { return word(48); }
    std::uint16_t recordingCount() const { return word(50); }
    std::uint16_t nextSerial() const { return word(52); }

    void setRecordingCount(std::uint16_t value) { setWord(50, value); }
    void setNextSerial(std::uint16_t value) { setWord(52, value); }

    bool hasValidMagic() const { return magic() == kMagic; }
    bool hasClearedFieldsSet() const;
    void zeroClearedFields();

    // Where a header was read from is not part of its value.
    bool operator==(const PhoneIndexHeader& other) const { return bytes == other.bytes; }

private:
    std::uint16_t word(std::size_t offset) const {
        return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
    void setWord(std::size_t offset, std::uint16_t value) {
        bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
};

}  // namespace tapelink
