#include "platform/SndfileOpusEncoder.h"

#include <sndfile.h>

#include "platform/SndfileCompressedWrite.h"

namespace tapelink {

bool SndfileOpusEncoder::encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                                std::string& error) {
    // Opus codes 8, 12, 16, 24 and 48 kHz; anything else would be resampled by nobody.
    const CompressedFormat opus{
        SF_FORMAT_OGG | SF_FORMAT_OPUS, kCompressionLevel, kFrameSamples, {8000, 12000, 16000, 24000, 48000}, "Opus"};
    return encodeCompressed(original, opus, encoded, error);
}

}  // namespace tapelink
