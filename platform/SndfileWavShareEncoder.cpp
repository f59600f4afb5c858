#include "platform/SndfileWavShareEncoder.h"

#include <sndfile.h>

#include <cstring>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileMemoryFile.h"
#include "playback/PcmAudio.h"

namespace tapelink {

bool SndfileWavShareEncoder::encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                                    std::string& error) {
    // Only a compact file (an Ogg stream) is converted: everything else goes as it is, byte for byte.
    if (original.size() < 4 || std::memcmp(original.data(), "OggS", 4) != 0) {
        encoded = original;
        return true;
    }
    PcmAudio audio;
    if (!SndfileDecoder::decodeBytes(original, audio, error)) return false;
    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (sound == nullptr) {
        error = "无法创建WAV文件。";
        return false;
    }
    const sf_count_t frames = audio.frames();
    const bool written = sf_writef_short(sound, audio.samples.data(), frames) == frames;
    if (sf_close(sound) != 0 || !written) {
        error = "WAV编码失败。";
        return false;
    }
    encoded = std::move(file.bytes);
    return true;
}

}  // namespace tapelink
