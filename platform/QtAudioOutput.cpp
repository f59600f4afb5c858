#include "platform/QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>

#include "archive/PcmAudioReader.h"

namespace tapelink {

// What the sink reads: the last stage of the chain, counted in frames handed over.
class QtAudioOutput::PullDevice : public QIODevice {
public:
    explicit PullDevice(std::unique_ptr<IPcmStage> stage)
        : m_stage(std::move(stage)), m_frameBytes(static_cast<qint64>(sizeof(std::int16_t)) * m_stage->channels()) {}

    bool isSequential() const override { return true; }
    bool exhausted() const { return m_exhausted; }
    std::int64_t framesHanded() const { return m_framesHanded; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const std::int64_t wanted = maxSize / m_frameBytes;
        if (wanted == 0 || m_exhausted) return 0;
        const std::int64_t got = m_stage->pull(reinterpret_cast<std::int16_t*>(data), wanted);
        m_exhausted = got <= 0;
        m_framesHanded += std::max<std::int64_t>(got, 0);
        return std::max<std::int64_t>(got, 0) * m_frameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<IPcmStage> m_stage;
    qint64 m_frameBytes;
    std::int64_t m_framesHanded = 0;
    bool m_exhausted = false;
};

struct QtAudioOutput::Stream {
    std::unique_ptr<PullDevice> device;
    std::unique_ptr<QAudioSink> sink;
};

namespace {

std::string sinkErrorText(QAudio::Error error) {
    switch (error) {
        case QAudio::OpenError:
            return "无法打开声音输出设备。";
        case QAudio::IOError:
            return "声音输出设备停止接收声音数据。";
        case QAudio::FatalError:
            return "声音输出设备出现故障。";
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
        error = "录音文件中没有声音。";
        return false;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        error = "没有可用的声音输出设备。";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(audio->sampleRate);
    format.setChannelCount(audio->channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        error = "声音输出设备不能播放采样率为 " + std::to_string(audio->sampleRate) + " Hz、" +
                std::to_string(audio->channels) + " 个声道的声音。";
        return false;
    }

    // Built and started while only this call holds them; then they replace whatever a nested call installed.
    const int sampleRate = audio->sampleRate;
    Stream stream{std::make_unique<PullDevice>(std::make_unique<PcmAudioReader>(std::move(audio), fromFrame)), nullptr};
    stream.device->open(QIODevice::ReadOnly);
    stream.sink = std::make_unique<QAudioSink>(device, format);
    stream.sink->start(stream.device.get());
    if (isFailure(stream.sink->error())) {
        error = sinkErrorText(stream.sink->error());
        release(std::move(stream));
        return false;
    }
    Stream replaced = take();
    m_device = std::move(stream.device);
    m_sink = std::move(stream.sink);
    m_sampleRate = sampleRate;
    release(std::move(replaced));
    return true;
}

void QtAudioOutput::pause() {
    if (m_sink) m_sink->suspend();
}

void QtAudioOutput::resume() {
    if (m_sink && m_sink->state() == QAudio::SuspendedState) m_sink->resume();
}

void QtAudioOutput::stop() {
    release(take());
}

QtAudioOutput::Stream QtAudioOutput::take() {
    return Stream{std::move(m_device), std::move(m_sink)};
}

void QtAudioOutput::release(Stream stream) {
    // The sink reads from the device, so it goes first.
    if (stream.sink) stream.sink->stop();
    stream.sink.reset();
    stream.device.reset();
}

bool QtAudioOutput::drained() const {
    if (!m_device->exhausted() || m_sink->state() != QAudio::IdleState) return false;
    // The sink goes idle when its own buffer runs dry, while the server still plays what it holds. It is done
    // once the processed time reaches what was handed over, give or take a millisecond of rounding.
    const std::int64_t processed = m_sink->processedUSecs() * m_sampleRate / 1000000;
    return processed + m_sampleRate / 1000 >= m_device->framesHanded();
}

std::int64_t QtAudioOutput::framesPlayed() const {
    if (!m_sink) return 0;
    if (drained()) return m_device->framesHanded();
    const std::int64_t processed = (m_sink->processedUSecs() * m_sampleRate + 500000) / 1000000;
    return std::min(processed, m_device->framesHanded());
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
