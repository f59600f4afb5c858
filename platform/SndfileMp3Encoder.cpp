#include "platform/SndfileMp3Encoder.h"

#include <sndfile.h>

#include <cstdlib>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileMemoryFile.h"
#include "playback/PcmAudio.h"

namespace tapelink {

bool SndfileMp3Encoder::encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                               std::string& error) {
    PcmAudio audio;
    if (!SndfileDecoder::decodeBytes(original, audio, error)) return false;
    if (audio.frames() == 0) {
        error = "录音中没有声音数据。";
        return false;
    }

    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (sound == nullptr) {
        error = std::string("无法创建MP3：") + sf_strerror(nullptr);
        return false;
    }
    // A variable bit rate writes the encoder's delay and padding into the first frame, so the decoder
    // gives back exactly the original's length.
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(sound, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    const sf_count_t frames = audio.frames();
    const bool written = sf_writef_short(sound, audio.samples.data(), frames) == frames;
    const int closed = sf_close(sound);
    if (!written || closed != 0) {
        error = "MP3编码失败。";
        return false;
    }

    const std::int64_t decoded = decodedFrames(file.bytes);
    if (decoded < 0 || std::llabs(decoded - frames) > kFrameSamples) {
        error = "转换后的MP3时长与原录音不符。";
        return false;
    }
    encoded = std::move(file.bytes);
    return true;
}

std::int64_t SndfileMp3Encoder::decodedFrames(const std::vector<std::uint8_t>& bytes) {
    PcmAudio audio;
    std::string error;
    if (!SndfileDecoder::decodeBytes(bytes, audio, error)) return -1;
    return audio.frames();
}

}  // namespace tapelink
