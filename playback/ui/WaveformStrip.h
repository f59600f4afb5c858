#pragma once

#include <QWidget>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/PcmAudio.h"
#include "playback/SilenceMap.h"
#include "playback/WaveformPeaks.h"

namespace tapelink {

// The loaded recording's waveform across the player: one column of quietest to loudest sample per pixel,
// the part already played shaded, the silences being shortened marked beneath. The peaks are computed on a
// worker thread once per recording; a click asks for a seek to that point of the recording, handed over from
// the event loop rather than from inside the mouse handler.
class WaveformStrip : public QWidget {
    Q_OBJECT

public:
    explicit WaveformStrip(QWidget* parent = nullptr);
    ~WaveformStrip() override;

    // Starts drawing a new recording (null: nothing loaded); the peaks appear once the worker has them.
    void setAudio(std::shared_ptr<const PcmAudio> audio);
    void setPosition(std::int32_t positionMs);
    // The silences being shortened (null: none).
    void setSkipped(std::shared_ptr<const SilenceMap> skipped);
    bool hasPeaks() const { return !m_peaks.empty(); }

signals:
    void seekRequested(std::int32_t positionMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void takePeaks();
    void stopWorker();
    int xOfFrame(std::int64_t frame) const;

    std::shared_ptr<const PcmAudio> m_audio;
    std::shared_ptr<const SilenceMap> m_skipped;
    std::vector<WaveformColumn> m_peaks;
    std::int32_t m_positionMs = 0;
    std::int32_t m_lengthMs = 0;

    std::jthread m_worker;
    std::mutex m_mutex;
    std::vector<WaveformColumn> m_computed;  // guarded by m_mutex: the worker's result, not yet taken
    std::uint64_t m_generation = 0;          // guarded by m_mutex: which recording the result is for
    std::uint64_t m_computedGeneration = 0;  // guarded by m_mutex
};

}  // namespace tapelink
