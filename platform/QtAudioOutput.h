#pragma once

#include <memory>

#include "playback/IAudioOutput.h"
#include "playback/IPcmSource.h"

class QAudioSink;

namespace tapelink {

// Plays a PCM source on the desktop's default sound output through a QAudioSink in pull mode. Lives on a thread
// with a Qt event loop (the GUI thread, or the CLI's QCoreApplication): the sink pulls its audio from there,
// from the last stage of the playback chain.
// How far the recording got is what the sink reports as processed, never more than what was handed to it.
//
// Tearing a sink down can run the event loop, so start() and stop() may be called again from inside
// themselves. Each call works on the sink and stream it took out of the members, so a nested call never frees
// what the outer one still uses; the last stream installed is the one that plays.
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
    class PullDevice;
    struct Stream;

    Stream take();
    static void release(Stream stream);
    bool drained() const;

    std::unique_ptr<PullDevice> m_device;
    std::unique_ptr<QAudioSink> m_sink;
    int m_sampleRate = 0;
};

}  // namespace tapelink
