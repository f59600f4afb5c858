#include "phone/DemoVolume.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

#include "common/fs/FileErrorText.h"
#include "phone/PhoneIndexHeader.h"

namespace tapelink {

namespace {

constexpr int kSampleRate = 8000;
constexpr char kKindLetters[] = {'A', 'I', 'C', 'B', 'K', 'J'};
constexpr int kRecycledCount = 3;
constexpr int kVoiceCount = 4;

std::string phoneNumberFor(std::mt19937& random) {
    static const char* const prefixes[] = {"138", "139", "186", "150", "010", "021", "0755", "400"};
    std::uniform_int_distribution<int> pick(0, std::size(prefixes) - 1);
    std::string number = prefixes[pick(random)];
    const std::size_t length = number.front() == '0' ? number.size() + 8 : 11;
    std::uniform_int_distribution<int> digit(0, 9);
    while (number.size() < length) number += static_cast<char>('0' + digit(random));
    return number;
}

int lengthInSeconds(std::mt19937& random, int maxSeconds) {
    // Mostly short calls, some long ones.
    std::uniform_int_distribution<int> share(0, 9);
    std::uniform_int_distribution<int> shortCall(3, 59);
    std::uniform_int_distribution<int> longCall(60, 360);
    const int seconds = share(random) < 7 ? shortCall(random) : longCall(random);
    return std::max(1, std::min(seconds, maxSeconds));
}

DemoRecording makeRecording(std::mt19937& random, char letter, int serial, const std::string& folder, int maxSeconds) {
    DemoRecording recording;
    recording.folder = folder;
    char name[16];
    std::snprintf(name, sizeof name, "VO%c%05d.WAV", letter, serial % 100000);
    recording.fileName = name;

    RecordingInfo& info = recording.info;
    const bool isLocal = letter == 'B' || letter == 'J';
    const bool isMessage = letter == 'C' || letter == 'K';
    std::bernoulli_distribution coin(0.5);
    info.direction = static_cast<std::uint8_t>(isMessage || coin(random) ? 'B' : 'Z');
    info.phoneNumber = isLocal ? "" : phoneNumberFor(random);
    info.year = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(19, 26)(random));
    info.month = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 12)(random));
    info.day = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 28)(random));
    info.hour = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(7, 21)(random));
    info.minute = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 59)(random));
    recording.seconds = lengthInSeconds(random, maxSeconds);
    return recording;
}

bool writeIndex(const std::string& path, int recordingCount, int nextSerial) {
    PhoneIndexHeader header;
    // The telephone's own bytes: a recognisable pattern that must survive every write.
    for (std::size_t i = 0; i < header.bytes.size(); ++i) header.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    header.bytes[0] = 0x66;
    header.bytes[1] = 0x72;
    header.bytes[38] = 1;  // the telephone leaves these set; the first scan clears them
    header.bytes[44] = 2;
    header.bytes[45] = header.bytes[46] = header.bytes[47] = header.bytes[48] = header.bytes[49] = 0;
    header.setRecordingCount(static_cast<std::uint16_t>(recordingCount));
    header.setNextSerial(static_cast<std::uint16_t>(nextSerial));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
    const std::string tail(388, '\x5A');
    file.write(tail.data(), static_cast<std::streamsize>(tail.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

std::vector<DemoRecording> planDemoVolume(const DemoVolumeOptions& options) {
    std::mt19937 random(options.seed);
    std::vector<DemoRecording> plan;
    const int count = std::max(0, options.recordings);
    int serial = 1;
    for (int i = 0; i < count; ++i) {
        plan.push_back(
            makeRecording(random, kKindLetters[i % std::size(kKindLetters)], serial++, "voice/", options.maxSeconds));
    }
    // The last voice recording keeps the legacy name older firmware gave voice messages.
    if (count > 0) {
        DemoRecording& legacy = plan.back();
        legacy.fileName = "REC" + legacy.fileName.substr(3);
        legacy.info.direction = 'B';
        if (legacy.info.phoneNumber.empty()) legacy.info.phoneNumber = phoneNumberFor(random);
    }
    for (int i = 0; i < kRecycledCount; ++i) {
        plan.push_back(makeRecording(random, kKindLetters[(i * 2) % std::size(kKindLetters)], serial++, "RECYCLE/",
                                     options.maxSeconds));
    }
    return plan;
}

bool writeDemoVolume(const std::string& root, const DemoVolumeOptions& options, IWavEncoder& encoder,
                     std::string& error) {
    namespace fs = std::filesystem;
    const fs::path base(root);
    std::error_code ec;
    for (const char* folder : {"system", "voice", "RECYCLE"}) {
        fs::create_directories(base / folder, ec);
        if (ec) {
            error = (base / folder).string() + "：" + errorReasonText(ec);
            return false;
        }
    }
    const auto plan = planDemoVolume(options);
    // A few voices, each synthesised and encoded once at the longest length; every recording is the start of
    // one of them. Synthesis per recording made a large volume take minutes.
    int longest = 1;
    for (const DemoRecording& recording : plan) longest = std::max(longest, recording.seconds);
    std::vector<int> voices;
    for (int i = 0; i < kVoiceCount; ++i) {
        const int voice =
            encoder.prepareVoice(synthesizeVoice(longest, options.seed * 7919u + static_cast<unsigned>(i)));
        if (voice < 0) {
            error = "演示录音无法编码";
            return false;
        }
        voices.push_back(voice);
    }
    int voiceCount = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const DemoRecording& recording = plan[i];
        const std::string path = (base / recording.folder / recording.fileName).string();
        if (!encoder.writeCut(path, recording.info, voices[i % voices.size()], recording.seconds)) {
            error = path + "：无法写入";
            return false;
        }
        if (recording.folder == "voice/") ++voiceCount;
    }
    if (!writeIndex((base / "system" / "phone.bin").string(), voiceCount, static_cast<int>(plan.size()) + 1)) {
        error = (base / "system" / "phone.bin").string() + "：无法写入";
        return false;
    }
    return true;
}

std::vector<std::int16_t> synthesizeVoice(int seconds, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 60.0);
    std::uniform_real_distribution<double> pitch(95.0, 230.0);
    std::uniform_real_distribution<double> syllable(0.12, 0.35);
    std::uniform_real_distribution<double> pause(0.03, 0.4);
    // Between turns of the conversation the line is quiet for longer.
    std::uniform_int_distribution<int> phrase(3, 9);
    std::uniform_real_distribution<double> turnPause(0.8, 2.4);
    int syllablesLeft = phrase(random);

    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds) * kSampleRate);
    std::size_t at = 0;
    double phase = 0.0;
    while (at < samples.size()) {
        const auto voiced = static_cast<std::size_t>(syllable(random) * kSampleRate);
        const double startPitch = pitch(random);
        const double endPitch = startPitch * std::uniform_real_distribution<double>(0.8, 1.2)(random);
        for (std::size_t i = 0; i < voiced && at < samples.size(); ++i, ++at) {
            const double t = static_cast<double>(i) / static_cast<double>(voiced);
            const double f0 = startPitch + (endPitch - startPitch) * t;
            phase += 2.0 * std::numbers::pi * f0 / kSampleRate;
            // A few harmonics with falling strength give a buzzy, voice-like timbre.
            double value = 0.0;
            for (int h = 1; h <= 6; ++h) value += std::sin(phase * h) / h;
            const double envelope = std::sin(std::numbers::pi * t);
            samples[at] =
                static_cast<std::int16_t>(std::clamp(value * envelope * 5000.0 + noise(random), -32767.0, 32767.0));
        }
        const bool turnEnds = --syllablesLeft == 0;
        if (turnEnds) syllablesLeft = phrase(random);
        const auto silent = static_cast<std::size_t>((turnEnds ? turnPause(random) : pause(random)) * kSampleRate);
        for (std::size_t i = 0; i < silent && at < samples.size(); ++i, ++at) {
            samples[at] = static_cast<std::int16_t>(std::clamp(noise(random), -32767.0, 32767.0));
        }
    }
    return samples;
}

}  // namespace tapelink
