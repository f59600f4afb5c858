// The demo volume written the way it was first written: every recording synthesised and encoded on its own.
// bench/demo_store.sh times it on the start of the plan and scales it to the whole plan.
// usage: bench_demo_store_baseline DIR RECORDINGS WRITTEN
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "phone/DemoVolume.h"
#include "platform/SndfileWavEncoder.h"

int main(int argc, char** argv) {
    using namespace tapelink;
    if (argc != 4) {
        std::cerr << "usage: bench_demo_store_baseline DIR RECORDINGS WRITTEN\n";
        return 2;
    }
    const std::string root = argv[1];
    DemoVolumeOptions options;
    options.recordings = std::atoi(argv[2]);
    const auto written = static_cast<std::size_t>(std::atoi(argv[3]));
    for (const char* folder : {"voice", "RECYCLE"}) std::filesystem::create_directories(root + "/" + folder);
    SndfileWavEncoder encoder;
    const auto plan = planDemoVolume(options);
    for (std::size_t i = 0; i < plan.size() && i < written; ++i) {
        const DemoRecording& recording = plan[i];
        const unsigned seed = options.seed * 7919u + static_cast<unsigned>(i * 31 + recording.seconds);
        if (!encoder.writeRecording(root + "/" + recording.folder + recording.fileName, recording.info,
                                    synthesizeVoice(recording.seconds, seed))) {
            return 1;
        }
    }
    return 0;
}
