#pragma once

#include <QDialog>
#include <QTimer>

#include "archive/IAudioDecoder.h"
#include "archive/IAudioOutput.h"
#include "archive/IPlaybackView.h"
#include "archive/ISelectionService.h"
#include "archive/ISystemMixer.h"
#include "archive/PlaybackSession.h"
#include "archive/VolumeControl.h"
#include "common/IMessageSink.h"
#include "common/ui/MessageBoxSink.h"

class QPushButton;
class QSlider;

namespace tapelink {

// What the player plays through and sets the volume with, and where the media layer's own errors go (null: to
// message boxes over the player).
struct PlayerDevices {
    IAudioDecoder& decoder;
    IAudioOutput& output;
    ISystemMixer& mixer;
    IMessageSink* mediaMessages = nullptr;
};

// The player window (dialog 147): plays the search result list's selected recording at once, pauses, stops,
// steps through the list, shows and sets the position, and sets the volume and mute of the sound output.
class CPlayDlg : public QDialog, private IPlaybackView {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 147;

    CPlayDlg(ISelectionService& selection, const PlayerDevices& devices, QWidget* parent = nullptr);
    ~CPlayDlg() override;

    void Play();
    void TogglePause();
    void StopPlayback();
    void PlayNext();
    void PlayPrevious();
    void ToggleMute();

    const PlaybackSession& playback() const { return m_playback; }

public slots:
    // Device notifications reaching the player go on to its parent.
    void onDeviceArrived() { emit deviceArrived(); }
    void onDeviceRemoved() { emit deviceRemoved(); }

signals:
    void deviceArrived();
    void deviceRemoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void initialise();
    void showMixerState();
    void onPositionAction();
    void requestSeek();
    void applySeek();
    void OnDestroy();

    // IPlaybackView
    int positionSlider() const override;
    void setPositionSlider(int position) override;
    void setPauseCaption(const std::string& caption) override;
    void setTimerRunning(bool running) override;

    ISelectionService& m_selection;
    PlayerDevices m_devices;
    MessageBoxSink m_messageBoxes;
    VolumeControl m_volume;
    PlaybackSession m_playback;
    QTimer m_timer;
    bool m_destroyed = false;
    bool m_positionPressed = false;  // the mouse button went down on the position slider and is still held
    bool m_seekRequested = false;
    bool m_seeking = false;

    QPushButton* m_playButton = nullptr;
    QPushButton* m_pauseButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_muteButton = nullptr;
    QPushButton* m_previousButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QSlider* m_positionSlider = nullptr;
    QSlider* m_volumeSlider = nullptr;
};

}  // namespace tapelink
