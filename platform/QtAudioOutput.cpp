#include "platform/QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace tapelink {

// Hands the recording to the sink from a given frame on, and counts what it handed over.
class QtAudioOutput::PcmSource : public QIODevice {
public:
    PcmSource(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame) : m_audio(std::move(audio)) {
        m_frameBytes = static_cast<qint64>(sizeof(std::int16_t)) * m_audio->channels;
        m_start = std::clamp<qint64>(fromFrame, 0, m_audio->frames()) * m_frameBytes;
        m_position = m_start;
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return totalBytes() - m_position + QIODevice::bytesAvailable(); }
    bool exhausted() const { return m_position >= totalBytes(); }
    std::int64_t framesHanded() const { return (m_position - m_start) / m_frameBytes; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 count = std::clamp<qint64>(totalBytes() - m_position, 0, maxSize);
        if (count > 0) {
            std::memcpy(data, reinterpret_cast<const char*>(m_audio->samples.data()) + m_position,
                        static_cast<std::size_t>(count));
        }
        m_position += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 totalBytes() const { return m_audio->frames() * m_frameBytes; }

    std::shared_ptr<const PcmAudio> m_audio;
    qint64 m_frameBytes = 2;
    qint64 m_start = 0;
    qint64 m_position = 0;
};

namespace {

std::string sinkErrorText(QAudio::Error error) {
    switch (error) {
        case QAudio::OpenError:
            return "The audio output device could not be opened";
        case QAudio::IOError:
            return "The audio output device stopped accepting audio";
        case QAudio::FatalError:
            return "The audio output device failed";
        default:
            return {};
    }
}

bool isFailure(QAudio::Error error) {
    return error != QAudio::NoError && error != QAudio::UnderrunError;
}

}  // namespace

QtAudioOutput::QtAudioOutput() = default;

QtAudioOutput::~QtAudioOutput() {
    stop();
}

bool QtAudioOutput::start(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame, std::string& error) {
    stop();
    if (!audio || audio->channels < 1 || audio->sampleRate <= 0) {
        error = "The recording holds no audio";
        return false;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        error = "No audio output device is available";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(audio->sampleRate);
    format.setChannelCount(audio->channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        error = "The audio output device cannot play " + std::to_string(audio->sampleRate) + " Hz audio with " +
                std::to_string(audio->channels) + " channels";
        return false;
    }

    m_sampleRate = audio->sampleRate;
    m_source = std::make_unique<PcmSource>(std::move(audio), fromFrame);
    m_source->open(QIODevice::ReadOnly);
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->start(m_source.get());
    if (isFailure(m_sink->error())) {
        error = sinkErrorText(m_sink->error());
        stop();
        return false;
    }
    return true;
}

void QtAudioOutput::pause() {
    if (m_sink) m_sink->suspend();
}

void QtAudioOutput::resume() {
    if (m_sink && m_sink->state() == QAudio::SuspendedState) m_sink->resume();
}

void QtAudioOutput::stop() {
    if (m_sink) m_sink->stop();
    m_sink.reset();
    m_source.reset();
}

bool QtAudioOutput::drained() const {
    if (!m_source->exhausted() || m_sink->state() != QAudio::IdleState) return false;
    // The sink goes idle when its own buffer runs dry, while the server still plays what it holds. It is done
    // once the processed time reaches what was handed over, give or take a millisecond of rounding.
    const std::int64_t processed = m_sink->processedUSecs() * m_sampleRate / 1000000;
    return processed + m_sampleRate / 1000 >= m_source->framesHanded();
}

std::int64_t QtAudioOutput::framesPlayed() const {
    if (!m_sink) return 0;
    if (drained()) return m_source->framesHanded();
    const std::int64_t processed = (m_sink->processedUSecs() * m_sampleRate + 500000) / 1000000;
    return std::min(processed, m_source->framesHanded());
}

AudioOutputState QtAudioOutput::state() const {
    if (!m_sink) return AudioOutputState::Stopped;
    if (isFailure(m_sink->error())) return AudioOutputState::Failed;
    if (m_sink->state() == QAudio::SuspendedState) return AudioOutputState::Paused;
    if (drained()) return AudioOutputState::Finished;
    return AudioOutputState::Playing;
}

std::string QtAudioOutput::errorText() const {
    return m_sink ? sinkErrorText(m_sink->error()) : std::string();
}

}  // namespace tapelink
