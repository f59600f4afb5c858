#include "platform/SndfileDecoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/SndfileMemoryFile.h"
#include "platform/SndfileWavEncoder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

namespace tapelink {
namespace {

std::vector<std::int16_t> tone(std::size_t frames) {
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) samples[i] = static_cast<std::int16_t>(8000 * std::sin(0.07 * i));
    return samples;
}

std::vector<std::uint8_t> encodeWav(int codec, const std::vector<std::int16_t>& samples) {
    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO format{};
    format.samplerate = 8000;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | codec;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &format, &file);
    if (sound == nullptr) return {};
    sf_writef_short(sound, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(sound);
    return file.bytes;
}

std::size_t dataSizeField(const std::vector<std::uint8_t>& wav) {
    for (std::size_t at = 12; at + 8 <= wav.size(); ++at)
        if (std::memcmp(wav.data() + at, "data", 4) == 0) return at + 4;
    return 0;
}

void setDataSize(std::vector<std::uint8_t>& wav, std::uint32_t size) {
    const std::size_t at = dataSizeField(wav);
    for (int i = 0; i < 4; ++i) wav[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
}

struct Codec {
    const char* name;
    int format;
};

class SndfileDecoderCodecTest : public ::testing::TestWithParam<Codec> {};

// Every codec decodes to the length it was written with (block codecs pad the last block), and an unfinished
// recording whose data chunk says 0 bytes or more than the file holds plays the same audio.
TEST_P(SndfileDecoderCodecTest, DecodesWholeFileWhateverTheDataChunkClaims) {
    const auto samples = tone(8000);
    auto wav = encodeWav(GetParam().format, samples);
    ASSERT_FALSE(wav.empty());

    PcmAudio intact;
    std::string error;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(wav, intact, error)) << error;
    EXPECT_EQ(intact.sampleRate, 8000);
    EXPECT_EQ(intact.channels, 1);
    EXPECT_GE(intact.frames(), 8000);
    EXPECT_LT(intact.frames(), 8000 + 1024);

    auto zero = wav;
    setDataSize(zero, 0);
    PcmAudio fromZero;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(zero, fromZero, error)) << error;
    EXPECT_EQ(fromZero, intact);

    auto oversized = wav;
    setDataSize(oversized, 0x7FFFFFF0u);
    PcmAudio fromOversized;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(oversized, fromOversized, error)) << error;
    EXPECT_EQ(fromOversized, intact);
}

INSTANTIATE_TEST_SUITE_P(Codecs, SndfileDecoderCodecTest,
                         ::testing::Values(Codec{"Pcm16", SF_FORMAT_PCM_16}, Codec{"Ulaw", SF_FORMAT_ULAW},
                                           Codec{"Alaw", SF_FORMAT_ALAW}, Codec{"ImaAdpcm", SF_FORMAT_IMA_ADPCM},
                                           Codec{"MsAdpcm", SF_FORMAT_MS_ADPCM}, Codec{"Gsm610", SF_FORMAT_GSM610},
                                           Codec{"G721", SF_FORMAT_G721_32}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SndfileDecoderTest, PcmComesBackSampleForSample) {
    const auto samples = tone(1234);
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(encodeWav(SF_FORMAT_PCM_16, samples), audio, error));
    EXPECT_EQ(audio.samples, samples);
}

TEST(SndfileDecoderTest, TelephoneRecordingWithItsHeaderAreaDecodesExactly) {
    test::TempFolder folder;
    const std::string path = folder.path() + "VOA00001.WAV";
    const auto samples = tone(505 * 40);  // whole IMA blocks
    SndfileWavEncoder encoder;
    ASSERT_TRUE(encoder.writeRecording(path, test::VolumeBuilder::info('Z', "13800000000", 11, 5, 18, 9, 7), samples));

    SndfileDecoder decoder;
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(decoder.decode(path, audio, error)) << error;
    EXPECT_EQ(audio.frames(), std::int64_t{505 * 40});
    EXPECT_EQ(audio.sampleRate, 8000);
}

TEST(SndfileDecoderTest, TruncatedRecordingPlaysWhatIsLeft) {
    auto wav = encodeWav(SF_FORMAT_IMA_ADPCM, tone(505 * 20));
    wav.resize(wav.size() - 256 * 5);
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(wav, audio, error)) << error;
    EXPECT_EQ(audio.frames(), std::int64_t{505 * 15});
}

TEST(SndfileDecoderTest, RepairTouchesOnlyABadDataChunkSize) {
    auto wav = encodeWav(SF_FORMAT_PCM_16, tone(100));
    const auto intact = wav;
    EXPECT_FALSE(SndfileDecoder::repairDataChunkSize(wav));
    EXPECT_EQ(wav, intact);
    setDataSize(wav, 0);
    EXPECT_TRUE(SndfileDecoder::repairDataChunkSize(wav));
    EXPECT_EQ(wav, intact);

    std::vector<std::uint8_t> notWav(64, 0x41);
    EXPECT_FALSE(SndfileDecoder::repairDataChunkSize(notWav));
    std::vector<std::uint8_t> brokenChunk = {'R', 'I', 'F', 'F', 0,   0,   0,    0,    'W',  'A',
                                             'V', 'E', 'f', 'm', 't', ' ', 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(SndfileDecoder::repairDataChunkSize(brokenChunk));
}

TEST(SndfileDecoderTest, FloatRecordingPlaysAtItsLevel) {
    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO format{};
    format.samplerate = 8000;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &format, &file);
    ASSERT_NE(sound, nullptr);
    std::vector<float> half(800);
    for (std::size_t i = 0; i < half.size(); ++i) half[i] = 0.5f * static_cast<float>(std::sin(0.07 * i));
    sf_writef_float(sound, half.data(), static_cast<sf_count_t>(half.size()));
    sf_close(sound);

    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(SndfileDecoder::decodeBytes(file.bytes, audio, error)) << error;
    ASSERT_EQ(audio.frames(), 800);
    const auto [low, high] = std::minmax_element(audio.samples.begin(), audio.samples.end());
    EXPECT_NEAR(*high, 16383, 40);
    EXPECT_NEAR(*low, -16383, 40);
}

TEST(SndfileDecoderTest, UnreadableInputFailsWithTheSystemsWords) {
    PcmAudio audio;
    std::string error;
    EXPECT_FALSE(SndfileDecoder::decodeBytes(std::vector<std::uint8_t>(600, 0x5A), audio, error));
    EXPECT_EQ(error, "无法识别该音频文件的格式。");

    test::TempFolder folder;
    SndfileDecoder decoder;
    EXPECT_FALSE(decoder.decode(folder.path() + "missing.wav", audio, error));
    EXPECT_EQ(error, folder.path() + "missing.wav：文件不存在。");
}

}  // namespace
}  // namespace tapelink
