#pragma once

#include <cstdint>
#include <vector>

#include "phone/IWavEncoder.h"

namespace tapelink {

// Encodes telephone recordings as IMA ADPCM (4 bits, 8 kHz mono) with libsndfile, then lays the
// file out the way the telephone does: the metadata block at offset 256 inside a private chunk and
// the audio data from offset 512. IMA ADPCM blocks decode on their own, so a cut is the first whole
// blocks of a prepared voice: many recordings cost one encoding.
class SndfileWavEncoder : public IWavEncoder {
public:
    bool writeRecording(const std::string& path, const RecordingInfo& info,
                        const std::vector<std::int16_t>& samples) override;
    int prepareVoice(const std::vector<std::int16_t>& samples) override;
    bool writeCut(const std::string& path, const RecordingInfo& info, int voice, int seconds) override;

    // The encoded WAV as libsndfile writes it, before the layout is changed.
    static std::vector<std::uint8_t> encodeImaAdpcm(const std::vector<std::int16_t>& samples);

private:
    struct Voice {
        std::vector<std::uint8_t> fmt;   // the whole fmt chunk
        std::vector<std::uint8_t> fact;  // the whole fact chunk, or empty
        std::vector<std::uint8_t> data;  // the audio data, whole blocks
        std::uint32_t blockAlign = 0;
        std::uint32_t samplesPerBlock = 0;
    };
    static bool split(const std::vector<std::uint8_t>& wav, Voice& voice);
    static bool write(const std::string& path, const RecordingInfo& info, const Voice& voice, std::size_t dataSize,
                      std::uint32_t frames);

    std::vector<Voice> m_voices;
};

}  // namespace tapelink
