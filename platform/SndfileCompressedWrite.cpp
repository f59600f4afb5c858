#include "platform/SndfileCompressedWrite.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileMemoryFile.h"
#include "playback/PcmAudio.h"

namespace tapelink {

bool encodeCompressed(const std::vector<std::uint8_t>& original, const CompressedFormat& format,
                      std::vector<std::uint8_t>& encoded, std::string& error) {
    const std::string name = format.name;
    PcmAudio audio;
    if (!SndfileDecoder::decodeBytes(original, audio, error)) return false;
    if (audio.frames() == 0) {
        error = "录音中没有声音数据。";
        return false;
    }
    if (!format.sampleRates.empty() &&
        std::find(format.sampleRates.begin(), format.sampleRates.end(), audio.sampleRate) == format.sampleRates.end()) {
        error = "录音的采样率无法以" + name + "保存。";
        return false;
    }

    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = format.format;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (sound == nullptr) {
        error = "无法创建" + name + "文件：" + sf_strerror(nullptr);
        return false;
    }
    // A variable bit rate writes the encoder's delay and padding into the file, so the decoder gives back
    // exactly the original's length.
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(sound, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    if (format.compressionLevel) {
        double level = *format.compressionLevel;
        sf_command(sound, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    const sf_count_t frames = audio.frames();
    const bool written = sf_writef_short(sound, audio.samples.data(), frames) == frames;
    const int closed = sf_close(sound);
    if (!written || closed != 0) {
        error = name + "编码失败。";
        return false;
    }

    PcmAudio decoded;
    std::string decodeError;
    if (!SndfileDecoder::decodeBytes(file.bytes, decoded, decodeError) ||
        std::llabs(decoded.frames() - frames) > format.frameSamples) {
        error = "转换后的" + name + "文件时长与原录音不符。";
        return false;
    }
    encoded = std::move(file.bytes);
    return true;
}

}  // namespace tapelink
