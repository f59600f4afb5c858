#include "cli/audio/AudioCommandTable.h"

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/StderrMessages.h"
#include "cli/audio/MixerCommands.h"
#include "cli/audio/TerminalPlayback.h"

namespace tapelink::cli {

namespace {

// No exception may leave the module through a C function pointer.
template <typename Work>
int guarded(Work work) noexcept {
    try {
        return work();
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
    } catch (...) {
        std::cerr << "音频命令失败\n";
    }
    return kExitMessage;
}

#ifdef TAPELINK_CLI_PLAY
int play(const char* const* files, int count, int speedQuarters, int skipSilence) {
    return guarded([&] {
        StderrMessages messages;
        const ListeningPreferences listening{speedQuarters, skipSilence != 0};
        playFiles(std::vector<std::string>(files, files + count), listening, messages);
        return messages.anyShown() ? kExitMessage : kExitOk;
    });
}
constexpr auto kPlay = &play;
#else
constexpr int (*kPlay)(const char* const*, int, int, int) = nullptr;
#endif

int volume(int percent) {
    return guarded([&] {
        StderrMessages messages;
        return printOrSetVolume(percent < 0 ? std::nullopt : std::optional<int>(percent), messages);
    });
}

int mute(int state) {
    return guarded([&] {
        StderrMessages messages;
        return printOrSetMute(state < 0 ? std::nullopt : std::optional<bool>(state != 0), messages);
    });
}

constexpr TapelinkAudioCommands kCommands{kTapelinkAudioAbi, kPlay, &volume, &mute};

}  // namespace

}  // namespace tapelink::cli

extern "C" __attribute__((visibility("default"))) const TapelinkAudioCommands* tapelink_audio_commands() {
    return &tapelink::cli::kCommands;
}
