// What listening fast costs on a 60-minute telephone recording (IMA ADPCM, 8 kHz mono), measured in CPU time
// of this thread so other load on the machine does not count:
// - time-stretching at 2x against decoding the same recording, and as a share of one core while it plays;
// - the waveform's peaks for a 1000-column strip, and the silence map.
#include <time.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "phone/DemoVolume.h"
#include "platform/SndfileDecoder.h"
#include "platform/SndfileWavEncoder.h"
#include "platform/SoundTouchStretcher.h"
#include "playback/ListeningStream.h"
#include "playback/SilenceMap.h"
#include "playback/WaveformPeaks.h"

namespace {

using namespace tapelink;

constexpr int kSeconds = 60 * 60;
constexpr int kRuns = 3;

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The quickest of a few runs: the least disturbed by the machine's other work.
double bestMs(const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const double start = cpuMs();
        work();
        best = std::min(best, cpuMs() - start);
    }
    return best;
}

}  // namespace

int main() {
    const std::vector<std::uint8_t> file = SndfileWavEncoder::encodeImaAdpcm(synthesizeVoice(kSeconds, 7));
    auto audio = std::make_shared<PcmAudio>();
    std::string error;
    const double decodeMs = bestMs([&] {
        if (!SndfileDecoder::decodeBytes(file, *audio, error)) std::fprintf(stderr, "%s\n", error.c_str());
    });
    if (audio->frames() == 0) return 1;

    SoundTouchStretcher stretcher;
    std::int64_t heard = 0;
    const double stretchMs = bestMs([&] {
        ListeningStream stream(audio, 0, 8, nullptr, &stretcher);
        std::vector<std::int16_t> block(4096);
        heard = 0;
        while (const std::int64_t got = stream.pull(block.data(), 4096)) heard += got;
    });
    const double playingMs = static_cast<double>(heard) * 1000.0 / audio->sampleRate;

    std::size_t columns = 0;
    const double peaksMs = bestMs([&] { columns = waveformPeaks(*audio, 1000).size(); });
    std::size_t silences = 0;
    const double silenceMs = bestMs([&] { silences = SilenceMap::find(*audio).skipped().size(); });

    std::printf(
        "listen: decoding 60 min %.0f ms; time-stretch at 2x %.0f ms = %.2f x decoding, %.2f %% of one core "
        "while playing (%.0f s)\n",
        decodeMs, stretchMs, stretchMs / decodeMs, 100.0 * stretchMs / playingMs, playingMs / 1000.0);
    std::printf("listen: waveform peaks (%zu columns) %.1f ms = %.3f x decoding; silence map (%zu skips) %.1f ms\n",
                columns, peaksMs, peaksMs / decodeMs, silences, silenceMs);
    return 0;
}
