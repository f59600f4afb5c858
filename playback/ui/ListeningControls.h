#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

#include "playback/ListeningPreferences.h"
#include "playback/PlaybackSession.h"

class QCheckBox;
class QComboBox;
class QWidget;

namespace tapelink {

class WaveformStrip;

// The player's controls for listening fast, below its original ones: the speed (0.5x to 2x), the "跳过静音"
// toggle and the waveform strip, and the keys Space (play or pause), Left and Right (5 s back or on), Up and
// Down (speed). They drive the playback session directly and remember the choices in the store.
class ListeningControls : public QObject {
    Q_OBJECT

public:
    static constexpr std::int32_t kKeySeekMs = 5000;
    static constexpr int kRefreshMs = 100;

    // Builds the controls on window, from top (in dialog units) down; togglePause is the window's own pause
    // command, so Space does exactly what its button does.
    ListeningControls(QWidget& window, int top, PlaybackSession& playback, IListeningPreferencesStore* store,
                      std::function<void()> togglePause);

    // Dialog units the controls take below top.
    static constexpr int kHeight = 46;

private:
    void buildKeys();
    void setSpeed(int quarters);
    void setSkipSilence(bool skip);
    void seekBy(std::int32_t ms);
    void refresh();
    void remember();

    QWidget& m_window;
    PlaybackSession& m_playback;
    IListeningPreferencesStore* m_store;
    std::function<void()> m_togglePause;
    QComboBox* m_speed = nullptr;
    QCheckBox* m_skip = nullptr;
    WaveformStrip* m_strip = nullptr;
    QTimer m_refresh;
    std::shared_ptr<const PcmAudio> m_shownAudio;  // the recording the strip shows
};

}  // namespace tapelink
