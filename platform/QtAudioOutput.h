#pragma once

#include <memory>

#include "archive/IAudioOutput.h"

class QAudioSink;

namespace tapelink {

// Plays a PCM source on the desktop's default sound output through a QAudioSink in pull mode. Lives on a thread
// with a Qt event loop (the GUI thread, or the CLI's QCoreApplication): the sink pulls its audio from there.
// How far the recording got is what the sink reports as processed, never more than what was handed to it.
class QtAudioOutput : public IAudioOutput {
public:
    QtAudioOutput();
    ~QtAudioOutput() override;
    QtAudioOutput(const QtAudioOutput&) = delete;
    QtAudioOutput& operator=(const QtAudioOutput&) = delete;

    bool start(std::shared_ptr<IPcmSource> source, std::string& error) override;
    void pause() override;
    void resume() override;
    void stop() override;
    std::int64_t framesPlayed() const override;
    AudioOutputState state() const override;
    std::string errorText() const override;

private:
    class PcmSource;
    bool drained() const;

    std::unique_ptr<PcmSource> m_source;
    std::unique_ptr<QAudioSink> m_sink;
    int m_sampleRate = 0;
};

}  // namespace tapelink
