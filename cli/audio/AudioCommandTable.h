#pragma once

// The entry table of libtapelink-cli-audio.so, the module that does the work of `play`, `volume` and
// `mute`. Qt Multimedia and libpulse live only there, so the other commands start without loading them.
// The table crosses a dlopen boundary: plain C types only, and every function returns an exit status.

extern "C" {

struct TapelinkAudioCommands {
    // kTapelinkAudioAbi of the module; a module built from other sources is refused.
    int abiVersion;
    // Plays the files one after another with a progress line each, at speedQuarters quarters of their own
    // speed (2 to 8), with long silences shortened when skipSilence is not 0. Null when playback is not built.
    int (*play)(const char* const* files, int count, int speedQuarters, int skipSilence);
    // Prints the sound output's volume in percent when percent is negative, sets it otherwise.
    int (*volume)(int percent);
    // Prints the mute switch ("on" or "off") when state is negative; sets it off (0) or on (1) otherwise.
    int (*mute)(int state);
};

// The one symbol the module exports.
const TapelinkAudioCommands* tapelink_audio_commands();
}

inline constexpr int kTapelinkAudioAbi = 2;
inline constexpr char kTapelinkAudioModule[] = "libtapelink-cli-audio.so";
inline constexpr char kTapelinkAudioEntry[] = "tapelink_audio_commands";
