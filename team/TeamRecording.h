#pragma once

#include <cstdint>
#include <string>

namespace tapelink {

// One recording as the team archive keeps it: which desk published it and from which telephone, with the
// fields of its metadata block. (desk, sha256) is its key: content published twice is stored once.
struct TeamRecording {
    std::string desk;
    std::string phoneSerial;
    std::string name;  // the file name in the desk's archive
    std::string number;
    int direction = 0;
    std::string kind;      // the kind letter of the file name
    std::string startKey;  // YYMMDDhhmm
    std::int64_t durationSeconds = 0;
    std::uint64_t size = 0;
    std::string sha256;

    bool operator==(const TeamRecording&) const = default;
};

}  // namespace tapelink
