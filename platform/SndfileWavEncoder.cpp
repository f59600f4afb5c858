#include "platform/SndfileWavEncoder.h"

#include "platform/SndfileMemoryFile.h"

#include <sndfile.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

namespace tapelink {

namespace {

constexpr std::size_t kAudioOffset = 512;
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

void appendChunk(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& wav, const Chunk& chunk) {
    const auto begin = wav.begin() + static_cast<std::ptrdiff_t>(chunk.offset);
    out.insert(out.end(), begin, begin + 8 + chunk.size);
    if (chunk.size & 1) out.push_back(0);
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

bool SndfileWavEncoder::writeRecording(const std::string& path, const RecordingInfo& info,
                                       const std::vector<std::int16_t>& samples) {
    const auto wav = encodeImaAdpcm(samples);
    if (wav.size() < 12) return false;
    const auto fmt = findChunk(wav, "fmt ");
    const auto fact = findChunk(wav, "fact");
    const auto data = findChunk(wav, "data");
    if (!fmt || !data) return false;

    std::vector<std::uint8_t> out;
    out.reserve(kAudioOffset + data->size);
    out.insert(out.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    appendChunk(out, wav, *fmt);
    if (fact) appendChunk(out, wav, *fact);

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
    appendU32(out, data->size);
    const auto audio = wav.begin() + static_cast<std::ptrdiff_t>(data->offset + 8);
    out.insert(out.end(), audio, audio + data->size);
    if (data->size & 1) out.push_back(0);
    const auto riffSize = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace tapelink
