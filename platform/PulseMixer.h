#pragma once

#include <memory>
#include <string>

#include "playback/ISystemMixer.h"

namespace tapelink {

// The sound server's default output (its default sink) through libpulse. open() connects and finds the default
// sink, close() disconnects, so no connection outlives one VolumeControl call. The sink's normal volume (100%)
// is the volume control's maximum bound; louder settings read as the maximum.
//
// The sound server has no separate synthesizer, microphone-playback or wave lines: every MixerLine maps to the
// default output, which carries all the desktop's playback.
class PulseMixer : public ISystemMixer {
public:
    // An empty server name means libpulse's own choice (PULSE_SERVER, then the user's server).
    explicit PulseMixer(std::string server = {}, int timeoutMs = 3000);
    ~PulseMixer() override;
    PulseMixer(const PulseMixer&) = delete;
    PulseMixer& operator=(const PulseMixer&) = delete;

    bool open() override;
    void close() override;
    std::optional<std::uint32_t> findControl(MixerLine line, MixerControlKind kind) override;
    std::optional<std::uint32_t> readControl(MixerLine line, MixerControlKind kind) override;
    bool writeControl(MixerLine line, MixerControlKind kind, std::uint32_t value) override;

private:
    class Connection;
    std::string m_server;
    int m_timeoutMs;
    std::unique_ptr<Connection> m_connection;
    std::string m_sink;  // of the open connection
};

}  // namespace tapelink
