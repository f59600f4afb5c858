#pragma once

#include <QDialog>
#include <QTimer>

#include "common/IMessageSink.h"
#include "common/ui/MessageBoxSink.h"
#include "playback/IAudioDecoder.h"
#include "playback/IAudioOutput.h"
#include "playback/IPlaybackView.h"
#include "playback/ISelectionService.h"
#include "playback/ISystemMixer.h"
#include "playback/ITimeStretcher.h"
#include "playback/ListeningPreferences.h"
#include "playback/PlaybackSession.h"
#include "playback/VolumeControl.h"

class QPushButton;
class QSlider;

class QLabel;

namespace tapelink {

class ListeningControls;

// What the player plays through and sets the volume with, and where the media layer's own errors go (null: to
// message boxes over the player); the time stretcher (null: always the recording's own speed) and where the
// listener's choices are kept (null: not kept).
struct PlayerDevices {
    IAudioDecoder& decoder;
    IAudioOutput& output;
    ISystemMixer& mixer;
    IMessageSink* mediaMessages = nullptr;
    ITimeStretcher* stretcher = nullptr;
    IListeningPreferencesStore* listening = nullptr;
};

// The player window (dialog 147): plays the search result list's selected recording at once, pauses, stops,
// steps through the list, shows and sets the position, and sets the volume and mute of the sound output. Below
// those, the listening controls set the speed and the shortening of silences and show the waveform.
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
    // The recording last opened, whose note 备注… edits; empty before the first.
    const std::string& openedPath() const { return m_openedPath; }

public slots:
    // Device notifications reaching the player go on to its parent.
    void onDeviceArrived() { emit deviceArrived(); }
    void onDeviceRemoved() { emit deviceRemoved(); }

signals:
    void deviceArrived();
    void deviceRemoved();
    // 备注… ("notes"): the owner opens the note of the recording at path.
    void noteRequested(const QString& path);

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
    void open(const std::string& path);
    // The recording's name and "已播放 / 总时长" in the recording's own time.
    void showWhere();

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
    QPushButton* m_noteButton = nullptr;
    std::string m_openedPath;
    QSlider* m_positionSlider = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QLabel* m_where = nullptr;
    std::int32_t m_shownLengthMs = 0;  // the loaded recording's length, kept after 停止
    ListeningControls* m_listening = nullptr;
};

}  // namespace tapelink
