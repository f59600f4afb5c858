#include "platform/SndfileOpusEncoder.h"

#include <sndfile.h>

#include <cstdlib>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileMemoryFile.h"
#include "playback/PcmAudio.h"

namespace tapelink {

namespace {

// Opus codes 8, 12, 16, 24 and 48 kHz; anything else would be resampled by nobody.
bool opusRate(int rate) {
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}

}  // namespace

bool SndfileOpusEncoder::encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                                std::string& error) {
    PcmAudio audio;
    if (!SndfileDecoder::decodeBytes(original, audio, error)) return false;
    if (audio.frames() == 0) {
        error = "录音中没有声音数据。";
        return false;
    }
    if (!opusRate(audio.sampleRate)) {
        error = "录音的采样率无法以Opus保存。";
        return false;
    }

    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (sound == nullptr) {
        error = std::string("无法创建Opus文件：") + sf_strerror(nullptr);
        return false;
    }
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(sound, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    double level = kCompressionLevel;
    sf_command(sound, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    const sf_count_t frames = audio.frames();
    const bool written = sf_writef_short(sound, audio.samples.data(), frames) == frames;
    const int closed = sf_close(sound);
    if (!written || closed != 0) {
        error = "Opus编码失败。";
        return false;
    }

    PcmAudio decoded;
    std::string decodeError;
    if (!SndfileDecoder::decodeBytes(file.bytes, decoded, decodeError) ||
        std::llabs(decoded.frames() - frames) > kFrameSamples) {
        error = "转换后的Opus文件时长与原录音不符。";
        return false;
    }
    encoded = std::move(file.bytes);
    return true;
}

}  // namespace tapelink
