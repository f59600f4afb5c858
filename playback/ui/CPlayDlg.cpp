#include "playback/ui/CPlayDlg.h"
#include "common/ui/DialogUnits.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "common/ui/DialogFont.h"
#include "playback/ui/ListeningControls.h"

namespace tapelink {

namespace {

constexpr int kWaveOutput = 1;
constexpr int kNoteButtonId = 0;
constexpr char kMuteCaption[] = "静音";
constexpr char kUnmuteCaption[] = "取消静音";

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

QString minutesAndSeconds(std::int32_t ms) {
    const int seconds = std::max(0, ms) / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

CPlayDlg::CPlayDlg(ISelectionService& selection, const PlayerDevices& devices, QWidget* parent)
    : QDialog(parent),
      m_selection(selection),
      m_devices(devices),
      m_messageBoxes(this),
      m_volume(m_devices.mixer),
      m_playback(m_devices.decoder, m_devices.output, *this,
                 m_devices.mediaMessages != nullptr ? *m_devices.mediaMessages : m_messageBoxes, m_devices.stretcher) {
    buildControls();
    initialise();
}

CPlayDlg::~CPlayDlg() {
    OnDestroy();
}

void CPlayDlg::buildControls() {
    setWindowTitle(QStringLiteral("play"));
    setObjectName(QString::number(kTemplateId));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont());
    constexpr int kOriginalHeight = 70;
    setFixedSize(dialogUnits(329), dialogUnits(kOriginalHeight + ListeningControls::kHeight));

    auto button = [this](int id, const char* caption, QRect geometry) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::number(id));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    m_playButton = button(1027, "播放", dialogRect(9, 46, 35, 13));
    m_pauseButton = button(1028, kPauseCaption, dialogRect(57, 46, 35, 13));
    m_stopButton = button(1010, "停止", dialogRect(103, 46, 35, 13));
    m_muteButton = button(1034, kMuteCaption, dialogRect(237, 46, 35, 13));

    m_positionSlider = new QSlider(Qt::Horizontal, this);
    m_positionSlider->setObjectName(QStringLiteral("1036"));
    m_positionSlider->setGeometry(dialogRect(2, 20, 277, 18));
    m_positionSlider->setRange(0, 100);
    m_positionSlider->setTickPosition(QSlider::NoTicks);

    // Top is loudest. The slider's value is the volume itself, so the filled part of its groove, which
    // runs from the minimum to the thumb, grows from the bottom as the sound gets louder.
    m_volumeSlider = new QSlider(Qt::Vertical, this);
    m_volumeSlider->setObjectName(QStringLiteral("1035"));
    m_volumeSlider->setGeometry(dialogRect(280, 1, 16, 68));
    m_volumeSlider->setRange(0, 100);
    m_volumeSlider->setTickPosition(QSlider::NoTicks);

    auto label = [this](const char* caption, int x, int y) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->move(dialogUnits(x), dialogUnits(y));
        l->adjustSize();
    };
    // In the free row above the position slider: which recording, and how far into it.
    m_where = new QLabel(this);
    m_where->setObjectName(QStringLiteral("where"));
    m_where->setGeometry(dialogRect(4, 5, 274, 12));
    label("MAX", 301, 13);
    label("音量", 300, 33);
    label("MIN", 301, 51);

    m_previousButton = button(1067, "上一条", dialogRect(148, 46, 35, 14));
    m_nextButton = button(1068, "下一条", dialogRect(192, 46, 35, 14));

    // Controls paint their own background, so their updates (the position slider moves every tick) do not
    // repaint the window itself, which reads the mixer each time it paints.
    for (QWidget* child : findChildren<QWidget*>()) child->setAutoFillBackground(true);

    QWidget* order[] = {m_playButton,     m_pauseButton,  m_stopButton,     m_muteButton,
                        m_positionSlider, m_volumeSlider, m_previousButton, m_nextButton};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    // Built after the original controls, so they follow them in tab order; before the first Play, so the
    // remembered speed applies to it.
    m_listening =
        new ListeningControls(*this, kOriginalHeight, m_playback, m_devices.listening, [this] { TogglePause(); });
    // Beside the listening controls, right of the speed and the silence switch.
    m_noteButton = button(kNoteButtonId, "备注…", dialogRect(283, kOriginalHeight + 30, 40, 13));
    m_noteButton->setObjectName(QStringLiteral("notes"));
    m_noteButton->setEnabled(false);
    connect(m_noteButton, &QPushButton::clicked, this, [this] {
        // Queued, so that the note dialog's own loop does not run inside this click.
        const QString path = QString::fromStdString(m_openedPath);
        QTimer::singleShot(0, this, [this, path] { emit noteRequested(path); });
    });

    connect(m_playButton, &QPushButton::clicked, this, [this] { Play(); });
    connect(m_pauseButton, &QPushButton::clicked, this, [this] { TogglePause(); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { StopPlayback(); });
    connect(m_nextButton, &QPushButton::clicked, this, [this] { PlayNext(); });
    connect(m_previousButton, &QPushButton::clicked, this, [this] { PlayPrevious(); });
    connect(m_muteButton, &QPushButton::clicked, this, [this] { ToggleMute(); });

    connect(m_positionSlider, &QSlider::sliderPressed, this,
            [this] { m_playback.OnPositionScroll(SliderScroll::Moving); });
    connect(m_positionSlider, &QSlider::actionTriggered, this, [this] { onPositionAction(); });
    m_positionSlider->installEventFilter(this);
    // Every user move of the volume thumb sets the volume at once, so loudness follows a drag.
    connect(m_volumeSlider, &QSlider::actionTriggered, this,
            [this] { m_volume.SetVolume(kWaveOutput, m_volumeSlider->sliderPosition()); });

    m_timer.setInterval(kPlaybackTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_playback.OnTimer(); });
}

void CPlayDlg::initialise() {
    m_volumeSlider->setValue(m_volume.GetVolume(kWaveOutput));
    m_positionSlider->setValue(0);
    m_muteButton->setText(QString::fromUtf8(m_volume.IsMuted(kWaveOutput) ? kUnmuteCaption : kMuteCaption));
    Play();
}

void CPlayDlg::onPositionAction() {
    m_playback.OnPositionScroll(SliderScroll::Moving);
    // With the mouse held (a drag, or a press on the groove that steps on by itself) the track ends when the
    // button is let go; a key or the wheel moves the thumb in one go.
    if (!m_positionPressed) requestSeek();
}

bool CPlayDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_positionSlider) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_positionPressed = true;
        } else if (event->type() == QEvent::MouseButtonRelease && m_positionPressed) {
            m_positionPressed = false;
            requestSeek();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CPlayDlg::requestSeek() {
    // Seeking rebuilds the sound stream, which must not happen inside the slider's own handlers; several
    // requests before the event loop comes round make one seek.
    if (m_seekRequested) return;
    m_seekRequested = true;
    QTimer::singleShot(0, this, [this] { applySeek(); });
}

void CPlayDlg::applySeek() {
    // Tearing the old stream down can run the event loop; a request arriving meanwhile is taken up here.
    if (m_seeking || m_destroyed) return;
    m_seeking = true;
    while (m_seekRequested) {
        m_seekRequested = false;
        m_playback.OnPositionScroll(SliderScroll::EndTrack);
    }
    m_seeking = false;
    showWhere();
}

void CPlayDlg::Play() {
    if (m_playback.isLoaded() && m_playback.paused()) {
        m_playback.setPaused(false);
        m_playback.Resume();
        return;
    }
    m_playback.Stop();
    open(m_selection.GetSelectedPath());
    m_playback.setPaused(false);
}

void CPlayDlg::open(const std::string& path) {
    m_openedPath = path;
    m_noteButton->setEnabled(!path.empty());
    m_playback.Open(path);
    m_shownLengthMs = m_playback.lengthMs();
    showWhere();
}

void CPlayDlg::showWhere() {
    if (m_playback.isLoaded()) m_shownLengthMs = m_playback.lengthMs();
    const std::size_t slash = m_openedPath.rfind('/');
    const QString name = QFile::decodeName(
        QByteArray::fromStdString(slash == std::string::npos ? m_openedPath : m_openedPath.substr(slash + 1)));
    const std::int32_t played = m_playback.isLoaded() ? m_playback.positionMs() : 0;
    const QString time = minutesAndSeconds(played) + QStringLiteral(" / ") + minutesAndSeconds(m_shownLengthMs);
    const QString elided = m_where->fontMetrics().elidedText(
        name, Qt::ElideMiddle,
        m_where->width() - m_where->fontMetrics().horizontalAdvance(time + QStringLiteral("    ")));
    m_where->setText(name.isEmpty() ? QString() : elided + QStringLiteral("    ") + time);
    m_where->setToolTip(name);
}

void CPlayDlg::TogglePause() {
    if (!m_playback.isLoaded()) return;
    if (m_playback.paused()) {
        m_playback.setPaused(false);
        m_playback.Resume();
    } else {
        m_playback.setPaused(true);
        m_playback.Pause();
    }
}

void CPlayDlg::StopPlayback() {
    m_playback.Stop();
    m_playback.setPaused(false);
}

void CPlayDlg::PlayNext() {
    if (!m_playback.isLoaded()) return;
    m_playback.Stop();
    m_selection.SelectNext();
    open(m_selection.GetSelectedPath());
    m_playback.setPaused(false);
}

void CPlayDlg::PlayPrevious() {
    if (!m_playback.isLoaded()) return;
    m_playback.Stop();
    m_selection.SelectPrevious();
    open(m_selection.GetSelectedPath());
    m_playback.setPaused(false);
}

void CPlayDlg::ToggleMute() {
    // The caption, not the mixer, decides which way the switch goes.
    if (m_muteButton->text() == QString::fromUtf8(kMuteCaption)) {
        m_volume.SetMute(kWaveOutput, true);
        m_muteButton->setText(QString::fromUtf8(kUnmuteCaption));
    } else {
        m_volume.SetMute(kWaveOutput, false);
        m_muteButton->setText(QString::fromUtf8(kMuteCaption));
    }
}

void CPlayDlg::showMixerState() {
    // Changes made elsewhere on the desktop show at the next repaint.
    m_volumeSlider->setValue(m_volume.GetVolume(kWaveOutput));
    m_muteButton->setText(QString::fromUtf8(m_volume.IsMuted(kWaveOutput) ? kUnmuteCaption : kMuteCaption));
}

void CPlayDlg::paintEvent(QPaintEvent* event) {
    showMixerState();
    QDialog::paintEvent(event);
}

void CPlayDlg::done(int result) {
    QDialog::done(result);
    OnDestroy();
}

void CPlayDlg::OnDestroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    m_playback.Stop();
    // The sound output is always left unmuted, also when it was muted before the player opened.
    m_volume.SetMute(kWaveOutput, false);
    m_muteButton->setText(QString::fromUtf8(kMuteCaption));
}

int CPlayDlg::positionSlider() const {
    return m_positionSlider->sliderPosition();
}

void CPlayDlg::setPositionSlider(int position) {
    m_positionSlider->setValue(position);
    // Every tick, seek and stop comes through here.
    if (m_where != nullptr) showWhere();
}

void CPlayDlg::setPauseCaption(const std::string& caption) {
    m_pauseButton->setText(qText(caption));
}

void CPlayDlg::setTimerRunning(bool running) {
    if (running) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

}  // namespace tapelink
