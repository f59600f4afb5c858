#pragma once

#include <functional>
#include <memory>

#include "playback/IAudioDecoder.h"
#include "team/ITeamArchive.h"

namespace tapelink {

// The player's decoder on a team desk: a team result's audio is fetched from the server into memory and
// decoded there, so nothing of it is written to disk; every other path goes to the local decoder.
class TeamAudioDecoder : public IAudioDecoder {
public:
    TeamAudioDecoder(IAudioDecoder& local, std::function<std::unique_ptr<ITeamArchive>()> open)
        : m_local(local), m_open(std::move(open)) {}

    bool decode(const std::string& path, PcmAudio& audio, std::string& error) override;

private:
    IAudioDecoder& m_local;
    std::function<std::unique_ptr<ITeamArchive>()> m_open;
};

}  // namespace tapelink
