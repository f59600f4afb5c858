#include "playback/ui/WaveformStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace tapelink {

namespace {
const QColor kBackground(250, 250, 250);
const QColor kPlayed(205, 225, 245);
const QColor kWave(40, 80, 140);
const QColor kSkipped(230, 150, 60);
const QColor kCursor(200, 30, 30);
constexpr int kSkipMarkHeight = 3;
}  // namespace

WaveformStrip::WaveformStrip(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

WaveformStrip::~WaveformStrip() {
    stopWorker();
}

void WaveformStrip::stopWorker() {
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

void WaveformStrip::setAudio(std::shared_ptr<const PcmAudio> audio) {
    stopWorker();
    m_audio = std::move(audio);
    m_peaks.clear();
    m_positionMs = 0;
    m_lengthMs = m_audio && m_audio->sampleRate > 0
                     ? static_cast<std::int32_t>(m_audio->frames() * 1000 / m_audio->sampleRate)
                     : 0;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_generation;
    }
    update();
    if (!m_audio || m_lengthMs == 0) return;
    // The widget's width is read here, on the GUI thread; the worker sees only its copies.
    m_worker = std::jthread([this, audio = m_audio, columns = width(), generation](std::stop_token stop) {
        std::vector<WaveformColumn> peaks = waveformPeaks(*audio, columns, stop);
        if (stop.stop_requested()) return;
        {
            std::lock_guard lock(m_mutex);
            m_computed = std::move(peaks);
            m_computedGeneration = generation;
        }
        QMetaObject::invokeMethod(this, &WaveformStrip::takePeaks, Qt::QueuedConnection);
    });
}

void WaveformStrip::takePeaks() {
    std::lock_guard lock(m_mutex);
    // A result for a recording replaced meanwhile is dropped.
    if (m_computedGeneration == m_generation) m_peaks = std::move(m_computed);
    m_computed.clear();
    update();
}

void WaveformStrip::setPosition(std::int32_t positionMs) {
    if (positionMs == m_positionMs) return;
    m_positionMs = positionMs;
    update();
}

void WaveformStrip::setSkipped(std::shared_ptr<const SilenceMap> skipped) {
    m_skipped = std::move(skipped);
    update();
}

int WaveformStrip::xOfFrame(std::int64_t frame) const {
    const std::int64_t frames = m_audio ? std::max<std::int64_t>(1, m_audio->frames()) : 1;
    return static_cast<int>(frame * width() / frames);
}

void WaveformStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (m_lengthMs > 0) {
        const int played = static_cast<int>(std::int64_t{m_positionMs} * width() / m_lengthMs);
        painter.fillRect(0, 0, played, height(), kPlayed);
        painter.setPen(kCursor);
        painter.drawLine(played, 0, played, height());
    }
    const int middle = height() / 2;
    // Scaled to the recording's own loudest sample: telephone audio rarely comes near full scale.
    int loudest = 1;
    for (const WaveformColumn& column : m_peaks) loudest = std::max({loudest, -int{column.low}, int{column.high}});
    const double scale = (height() / 2 - kSkipMarkHeight - 1) / static_cast<double>(loudest);
    painter.setPen(kWave);
    for (std::size_t x = 0; x < m_peaks.size(); ++x) {
        const auto column = static_cast<int>(x);
        painter.drawLine(column, middle - static_cast<int>(m_peaks[x].high * scale), column,
                         middle - static_cast<int>(m_peaks[x].low * scale));
    }
    if (m_skipped && m_audio) {
        for (const SkippedSpan& span : m_skipped->skipped()) {
            const int left = xOfFrame(span.begin);
            const int right = std::max(left + 1, xOfFrame(span.end));
            painter.fillRect(left, height() - kSkipMarkHeight, right - left, kSkipMarkHeight, kSkipped);
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void WaveformStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_lengthMs == 0 || width() <= 0) return;
    const int x = std::clamp(static_cast<int>(event->position().x()), 0, width());
    const auto positionMs = static_cast<std::int32_t>(std::int64_t{m_lengthMs} * x / width());
    // The seek restarts the sound device: it runs once this handler has returned.
    QTimer::singleShot(0, this, [this, positionMs] { emit seekRequested(positionMs); });
}

}  // namespace tapelink
