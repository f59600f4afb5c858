#include "platform/QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tapelink {

// Hands the source's audio to the sink as it asks, and counts what it handed over.
class QtAudioOutput::PcmSource : public QIODevice {
public:
    explicit PcmSource(std::shared_ptr<IPcmSource> source)
        : m_source(std::move(source)), m_frameBytes(static_cast<qint64>(sizeof(std::int16_t)) * m_source->channels()) {}

    bool isSequential() const override { return true; }
    // What is left is not known ahead; a second's worth stands for "more to come".
    qint64 bytesAvailable() const override {
        return (m_exhausted ? 0 : m_frameBytes * m_source->sampleRate()) + QIODevice::bytesAvailable();
    }
    bool exhausted() const { return m_exhausted; }
    std::int64_t framesHanded() const { return m_framesHanded; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 frames = maxSize / m_frameBytes;
        if (m_exhausted || frames <= 0) return 0;
        // The sink's buffer has no alignment promise for 16-bit samples: read into our own, then copy.
        m_block.resize(static_cast<std::size_t>(frames * m_source->channels()));
        const std::int64_t got = m_source->read(m_block.data(), frames);
        if (got < frames) m_exhausted = true;
        std::memcpy(data, m_block.data(), static_cast<std::size_t>(got * m_frameBytes));
        m_framesHanded += got;
        return got * m_frameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<IPcmSource> m_source;
    qint64 m_frameBytes = 2;
    std::vector<std::int16_t> m_block;
    std::int64_t m_framesHanded = 0;
    bool m_exhausted = false;
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

bool QtAudioOutput::start(std::shared_ptr<IPcmSource> source, std::string& error) {
    stop();
    if (!source || source->channels() < 1 || source->sampleRate() <= 0) {
        error = "The recording holds no audio";
        return false;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        error = "No audio output device is available";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(source->sampleRate());
    format.setChannelCount(source->channels());
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        error = "The audio output device cannot play " + std::to_string(source->sampleRate()) + " Hz audio with " +
                std::to_string(source->channels()) + " channels";
        return false;
    }

    m_sampleRate = source->sampleRate();
    m_source = std::make_unique<PcmSource>(std::move(source));
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
