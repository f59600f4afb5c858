#include "platform/SndfileDecoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>
#include <string_view>

#include "common/fs/FileDescriptor.h"
#include "platform/SndfileMemoryFile.h"

namespace tapelink {

namespace {

constexpr int kMaxChannels = 8;
constexpr sf_count_t kReadFrames = 4096;

std::uint32_t readU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void writeU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool hasId(const std::vector<std::uint8_t>& bytes, std::size_t at, std::string_view id) {
    return at + 4 <= bytes.size() && std::string_view(reinterpret_cast<const char*>(bytes.data() + at), 4) == id;
}

// libsndfile's own texts are English; the user reads the system's Chinese words for the same failure.
std::string openErrorText(int code) {
    switch (code) {
        case SF_ERR_UNRECOGNISED_FORMAT:
            return "无法识别该音频文件的格式。";
        case SF_ERR_MALFORMED_FILE:
            return "音频文件已损坏。";
        case SF_ERR_UNSUPPORTED_ENCODING:
            return "不支持该音频文件的编码方式。";
        default:
            return "无法读取该音频文件。";
    }
}

}  // namespace

bool SndfileDecoder::repairDataChunkSize(std::vector<std::uint8_t>& bytes) {
    if (!hasId(bytes, 0, "RIFF") || !hasId(bytes, 8, "WAVE")) return false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint64_t size = readU32(bytes, at + 4);
        const std::size_t payload = at + 8;
        const std::size_t available = bytes.size() - payload;
        if (hasId(bytes, at, "data")) {
            // libsndfile already cuts an oversized chunk to the file, but reads a zero-sized one as empty.
            if (size != 0 && size <= available) return false;
            const auto held = static_cast<std::uint32_t>(std::min<std::uint64_t>(available, 0xFFFFFFFFu));
            writeU32(bytes, at + 4, held);
            return true;
        }
        if (size > available) return false;
        at = payload + static_cast<std::size_t>(size) + (size & 1);
    }
    return false;
}

bool SndfileDecoder::decodeBytes(std::vector<std::uint8_t> bytes, PcmAudio& audio, std::string& error) {
    repairDataChunkSize(bytes);
    const std::size_t fileSize = bytes.size();
    SndfileMemoryFile file{std::move(bytes), 0};
    SF_VIRTUAL_IO io = SndfileMemoryFile::io();
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (sound == nullptr) {
        error = openErrorText(sf_error(nullptr));
        return false;
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate <= 0) {
        sf_close(sound);
        error = "不支持该音频文件的声道数或采样率。";
        return false;
    }

    audio = PcmAudio{};
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    // The header's frame count only sizes the buffer, capped by what the bytes can hold: no codec read here
    // packs more than eight frames into a byte.
    const auto hint = std::min<sf_count_t>(std::max<sf_count_t>(info.frames, 0), static_cast<sf_count_t>(fileSize) * 8);
    audio.samples.reserve(static_cast<std::size_t>(hint * info.channels));
    const int encoding = info.format & SF_FORMAT_SUBMASK;
    const bool floating = encoding == SF_FORMAT_FLOAT || encoding == SF_FORMAT_DOUBLE;
    std::vector<std::int16_t> block(static_cast<std::size_t>(kReadFrames * info.channels));
    std::vector<float> floats(floating ? block.size() : 0);
    for (;;) {
        const sf_count_t got = floating ? sf_readf_float(sound, floats.data(), kReadFrames)
                                        : sf_readf_short(sound, block.data(), kReadFrames);
        if (got <= 0) break;
        // Floating-point samples run from -1 to 1; libsndfile would only round them to integers (silence) or
        // stretch the loudest one to full scale, so they are scaled here at their own level.
        if (floating) {
            std::transform(floats.begin(), floats.begin() + got * info.channels, block.begin(), [](float sample) {
                return static_cast<std::int16_t>(std::clamp(std::lround(sample * 32768.0f), -32768L, 32767L));
            });
        }
        audio.samples.insert(audio.samples.end(), block.begin(), block.begin() + got * info.channels);
    }
    sf_close(sound);
    return true;
}

bool SndfileDecoder::decode(const std::string& path, PcmAudio& audio, std::string& error) {
    // Without blocking on a FIFO, and only a regular file is read: a folder, FIFO or device gets its message
    // (a stream read of a folder would throw).
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.valid()) {
        error = path + "：" + (errno == ENOENT ? "文件不存在。" : "无法打开文件。");
        return false;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        error = path + "：无法打开文件。";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = path + (S_ISDIR(status.st_mode) ? "：是一个文件夹，不是录音文件。" : "：不是普通文件，不是录音文件。");
        return false;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)));
    } catch (const std::bad_alloc&) {
        error = path + "：文件太大，无法读入内存。";
        return false;
    }
    std::size_t held = 0;
    for (;;) {
        // The file may grow while it is read: take what is there at the end.
        if (held == bytes.size()) bytes.resize(held + 65536);
        const ssize_t got = ::read(file.get(), bytes.data() + held, bytes.size() - held);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = path + "：读取文件时出错。";
            return false;
        }
        if (got == 0) break;
        held += static_cast<std::size_t>(got);
    }
    bytes.resize(held);
    return decodeBytes(std::move(bytes), audio, error);
}

}  // namespace tapelink
