#pragma once

#include <string>
#include <vector>

#include "phone/IWavEncoder.h"
#include "recording/RecordingInfo.h"

namespace tapelink {

struct DemoVolumeOptions {
    int recordings = 24;
    unsigned seed = 1;
    int maxSeconds = 300;  // the longest recording
};

struct DemoRecording {
    std::string folder;  // "voice/" or "RECYCLE/"
    std::string fileName;
    RecordingInfo info;
    int seconds = 0;

    bool operator==(const DemoRecording&) const = default;
};

// A realistic telephone volume for demonstrations, tests and benchmarks: every kind letter, both
// directions, numbers and dates over several years, one legacy REC name and a few recordings in the
// recycle bin. The same options always give the same volume.
std::vector<DemoRecording> planDemoVolume(const DemoVolumeOptions& options);

// Writes the planned volume under root (created if needed): system/phone.bin with consistent
// counters, voice/ and RECYCLE/. error says what failed.
bool writeDemoVolume(const std::string& root, const DemoVolumeOptions& options, IWavEncoder& encoder,
                     std::string& error);

// Speech-like telephone audio: phrases of voiced syllables with pitch glides, short pauses between syllables,
// longer ones between turns, and a little line noise.
std::vector<std::int16_t> synthesizeVoice(int seconds, unsigned seed);

}  // namespace tapelink
