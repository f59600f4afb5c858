#include "platform/SndfileWavEncoder.h"

#include "common/fs/WriteAll.h"
#include "platform/SndfileMemoryFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

namespace tapelink {

namespace {

constexpr std::size_t kAudioOffset = 512;
constexpr std::size_t kSampleRate = 8000;
constexpr char kPrivateChunkId[] = "tlmd";

std::uint32_t readU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct Chunk {
    std::size_t offset;  // of the chunk's id
    std::uint32_t size;  // of its payload
};

std::optional<Chunk> findChunk(const std::vector<std::uint8_t>& wav, std::string_view id) {
    std::size_t at = 12;
    while (at + 8 <= wav.size()) {
        const std::uint32_t size = readU32(wav, at + 4);
        if (std::string_view(reinterpret_cast<const char*>(wav.data() + at), 4) == id) {
            if (at + 8 + size > wav.size()) return std::nullopt;
            return Chunk{at, size};
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

std::vector<std::uint8_t> chunkBytes(const std::vector<std::uint8_t>& wav, const Chunk& chunk) {
    const auto begin = wav.begin() + static_cast<std::ptrdiff_t>(chunk.offset);
    std::vector<std::uint8_t> bytes(begin, begin + 8 + chunk.size);
    if (chunk.size & 1) bytes.push_back(0);
    return bytes;
}

std::uint32_t readU16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8);
}

}  // namespace

std::vector<std::uint8_t> SndfileWavEncoder::encodeImaAdpcm(const std::vector<std::int16_t>& samples) {
    SndfileMemoryFile file;
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO format{};
    format.samplerate = 8000;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &format, &file);
    if (sound == nullptr) return {};
    const auto frames = static_cast<sf_count_t>(samples.size());
    const bool written = sf_write_short(sound, samples.data(), frames) == frames;
    sf_close(sound);
    return written ? file.bytes : std::vector<std::uint8_t>{};
}

bool SndfileWavEncoder::split(const std::vector<std::uint8_t>& wav, Voice& voice) {
    if (wav.size() < 12) return false;
    const auto fmt = findChunk(wav, "fmt ");
    const auto fact = findChunk(wav, "fact");
    const auto data = findChunk(wav, "data");
    // IMA ADPCM's fmt payload: tag, channels, rate, byte rate, block align (12), bits, extra size, samples
    // per block (18).
    if (!fmt || !data || fmt->size < 20) return false;
    voice.fmt = chunkBytes(wav, *fmt);
    voice.fact = fact && fact->size >= 4 ? chunkBytes(wav, *fact) : std::vector<std::uint8_t>{};
    const auto audio = wav.begin() + static_cast<std::ptrdiff_t>(data->offset + 8);
    voice.data.assign(audio, audio + data->size);
    voice.blockAlign = readU16(wav, fmt->offset + 8 + 12);
    voice.samplesPerBlock = readU16(wav, fmt->offset + 8 + 18);
    return voice.blockAlign > 0 && voice.samplesPerBlock > 0;
}

bool SndfileWavEncoder::write(const std::string& path, const RecordingInfo& info, const Voice& voice,
                              std::size_t dataSize, std::uint32_t frames) {
    std::vector<std::uint8_t> out;
    out.reserve(kAudioOffset);
    out.insert(out.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    out.insert(out.end(), voice.fmt.begin(), voice.fmt.end());
    if (!voice.fact.empty()) {
        const std::size_t at = out.size() + 8;
        out.insert(out.end(), voice.fact.begin(), voice.fact.end());
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(frames >> (8 * i));
    }

    // The private chunk fills the header area up to the data chunk's own 8-byte header.
    const std::size_t payloadStart = out.size() + 8;
    const std::size_t payloadEnd = kAudioOffset - 8;
    if (payloadStart > RecordingInfo::kOffset) return false;
    out.insert(out.end(), kPrivateChunkId, kPrivateChunkId + 4);
    appendU32(out, static_cast<std::uint32_t>(payloadEnd - payloadStart));
    out.resize(payloadEnd, 0);
    const auto block = info.toBlock();
    std::memcpy(out.data() + RecordingInfo::kOffset, block.data(), block.size());

    out.insert(out.end(), {'d', 'a', 't', 'a'});
    appendU32(out, static_cast<std::uint32_t>(dataSize));
    const std::size_t padding = dataSize & 1;
    const auto riffSize = static_cast<std::uint32_t>(out.size() + dataSize + padding - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const std::uint8_t pad = 0;
    bool written = writeAll(fd, out.data(), out.size()) && writeAll(fd, voice.data.data(), dataSize) &&
                   writeAll(fd, &pad, padding);
    written = ::close(fd) == 0 && written;
    return written;
}

bool SndfileWavEncoder::writeRecording(const std::string& path, const RecordingInfo& info,
                                       const std::vector<std::int16_t>& samples) {
    Voice voice;
    if (!split(encodeImaAdpcm(samples), voice)) return false;
    return write(path, info, voice, voice.data.size(), static_cast<std::uint32_t>(samples.size()));
}

int SndfileWavEncoder::prepareVoice(const std::vector<std::int16_t>& samples) {
    Voice voice;
    if (!split(encodeImaAdpcm(samples), voice)) return -1;
    m_voices.push_back(std::move(voice));
    return static_cast<int>(m_voices.size()) - 1;
}

bool SndfileWavEncoder::writeCut(const std::string& path, const RecordingInfo& info, int voiceNumber, int seconds) {
    if (voiceNumber < 0 || voiceNumber >= static_cast<int>(m_voices.size()) || seconds < 0) return false;
    const Voice& voice = m_voices[static_cast<std::size_t>(voiceNumber)];
    const std::size_t available = voice.data.size() / voice.blockAlign;
    const std::size_t wanted = static_cast<std::size_t>(seconds) * kSampleRate;
    const std::size_t blocks = std::min(available, (wanted + voice.samplesPerBlock - 1) / voice.samplesPerBlock);
    const std::size_t frames = std::min(wanted, blocks * voice.samplesPerBlock);
    return write(path, info, voice, blocks * voice.blockAlign, static_cast<std::uint32_t>(frames));
}

}  // namespace tapelink
