#include "platform/SndfileMp3Encoder.h"

#include <sndfile.h>

#include "platform/SndfileCompressedWrite.h"
#include "platform/SndfileDecoder.h"
#include "playback/PcmAudio.h"

namespace tapelink {

bool SndfileMp3Encoder::encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                               std::string& error) {
    const CompressedFormat mp3{SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, std::nullopt, kFrameSamples, {}, "MP3"};
    return encodeCompressed(original, mp3, encoded, error);
}

std::int64_t SndfileMp3Encoder::decodedFrames(const std::vector<std::uint8_t>& bytes) {
    PcmAudio audio;
    std::string error;
    if (!SndfileDecoder::decodeBytes(bytes, audio, error)) return -1;
    return audio.frames();
}

}  // namespace tapelink
