#pragma once

#include <sndfile.h>

#include <cstdint>
#include <vector>

namespace tapelink {

// A file held in memory, read and written by libsndfile through its virtual I/O.
struct SndfileMemoryFile {
    std::vector<std::uint8_t> bytes;
    sf_count_t position = 0;

    // The callbacks; the user data given to sf_open_virtual is the SndfileMemoryFile.
    static SF_VIRTUAL_IO io();
};

}  // namespace tapelink
