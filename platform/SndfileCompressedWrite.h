#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tapelink {

// A compressed format libsndfile writes: its container and codec, the compression level where one is set,
// the samples one codec frame holds, the sample rates it takes (none listed: any) and its name in messages.
struct CompressedFormat {
    int format = 0;
    std::optional<double> compressionLevel;
    std::int64_t frameSamples = 0;
    std::vector<int> sampleRates;
    const char* name = "";
};

// Decodes a recording, writes it in the format at a variable bit rate into memory, decodes that again and
// refuses it unless its length is the original's within one frame: a shifted or padded copy would no
// longer match times noted against the original. False with the reason in Chinese otherwise.
bool encodeCompressed(const std::vector<std::uint8_t>& original, const CompressedFormat& format,
                      std::vector<std::uint8_t>& encoded, std::string& error);

}  // namespace tapelink
