#include "playback/ui/ListeningControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QShortcut>

#include "common/ui/DialogUnits.h"
#include "playback/ui/WaveformStrip.h"

namespace tapelink {

namespace {

QString speedText(int quarters) {
    return QString::number(speedFromQuarters(quarters), 'f', 2) + QStringLiteral("×");
}

void addToolTip(QWidget* widget, const QString& text) {
    if (widget != nullptr) widget->setToolTip(text);
}

}  // namespace

ListeningControls::ListeningControls(QWidget& window, int top, PlaybackSession& playback,
                                     IListeningPreferencesStore* store, std::function<void()> togglePause)
    : QObject(&window), m_window(window), m_playback(playback), m_store(store), m_togglePause(std::move(togglePause)) {
    const ListeningPreferences chosen = m_store ? m_store->preferences() : ListeningPreferences{};
    m_playback.setSpeedQuarters(chosen.speedQuarters);
    m_playback.setSkipSilence(chosen.skipSilence);

    m_strip = new WaveformStrip(&window);
    m_strip->setObjectName(QStringLiteral("waveform"));
    m_strip->setGeometry(dialogRect(2, top, 325, 26));
    m_strip->setToolTip(QStringLiteral("单击跳到该处（← → 后退、前进 5 秒）"));

    m_speed = new QComboBox(&window);
    m_speed->setObjectName(QStringLiteral("speed"));
    for (int quarters = kSlowestSpeedQuarters; quarters <= kFastestSpeedQuarters; ++quarters)
        m_speed->addItem(speedText(quarters), quarters);
    m_speed->setCurrentIndex(m_playback.speedQuarters() - kSlowestSpeedQuarters);
    m_speed->setGeometry(dialogRect(9, top + 30, 48, 13));
    m_speed->setToolTip(QStringLiteral("播放速度，音调不变（↑ 加快，↓ 减慢）"));

    m_skip = new QCheckBox(QStringLiteral("跳过静音"), &window);
    m_skip->setObjectName(QStringLiteral("skipSilence"));
    m_skip->setChecked(m_playback.skipSilence());
    m_skip->move(dialogUnits(66), dialogUnits(top + 31));
    m_skip->adjustSize();
    m_skip->setToolTip(QStringLiteral("把超过 0.7 秒的静音缩短为 0.3 秒"));

    connect(m_speed, &QComboBox::activated, this, [this](int index) { setSpeed(kSlowestSpeedQuarters + index); });
    connect(m_skip, &QCheckBox::toggled, this, [this](bool on) { setSkipSilence(on); });
    connect(m_strip, &WaveformStrip::seekRequested, this, [this](std::int32_t ms) { m_playback.SeekTo(ms); });
    buildKeys();

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { refresh(); });
    m_refresh.start();
}

void ListeningControls::buildKeys() {
    auto key = [this](QKeySequence sequence, std::function<void()> action) {
        auto* shortcut = new QShortcut(sequence, &m_window);
        connect(shortcut, &QShortcut::activated, this, std::move(action));
    };
    key(Qt::Key_Space, [this] { m_togglePause(); });
    key(Qt::Key_Left, [this] { seekBy(-kKeySeekMs); });
    key(Qt::Key_Right, [this] { seekBy(kKeySeekMs); });
    key(Qt::Key_Up, [this] { setSpeed(m_playback.speedQuarters() + 1); });
    key(Qt::Key_Down, [this] { setSpeed(m_playback.speedQuarters() - 1); });

    addToolTip(m_window.findChild<QWidget*>(QStringLiteral("1028")), QStringLiteral("暂停或继续（空格键）"));
    addToolTip(m_window.findChild<QWidget*>(QStringLiteral("1027")), QStringLiteral("播放（空格键暂停或继续）"));
    addToolTip(m_window.findChild<QWidget*>(QStringLiteral("1036")), QStringLiteral("播放位置（← → 后退、前进 5 秒）"));
}

void ListeningControls::setSpeed(int quarters) {
    quarters = stepSpeedQuarters(quarters, 0);
    m_playback.setSpeedQuarters(quarters);
    m_speed->setCurrentIndex(quarters - kSlowestSpeedQuarters);
    remember();
}

void ListeningControls::setSkipSilence(bool skip) {
    m_playback.setSkipSilence(skip);
    m_strip->setSkipped(m_playback.skippedSilences());
    remember();
}

void ListeningControls::seekBy(std::int32_t ms) {
    if (!m_playback.isLoaded() || m_playback.lengthMs() == 0) return;
    m_playback.SeekTo(std::clamp(m_playback.positionMs() + ms, 0, m_playback.lengthMs()));
    refresh();
}

void ListeningControls::refresh() {
    const std::shared_ptr<const PcmAudio> audio = m_playback.audio();
    // After 停止 nothing is loaded, and the last recording's waveform stays drawn.
    if (audio != m_shownAudio && (audio != nullptr || m_playback.isLoaded())) {
        m_shownAudio = audio;
        m_strip->setAudio(audio);
        m_strip->setSkipped(m_playback.skippedSilences());
    }
    m_strip->setPosition(m_playback.positionMs());
}

void ListeningControls::remember() {
    if (m_store) m_store->setPreferences({m_playback.speedQuarters(), m_playback.skipSilence()});
}

}  // namespace tapelink
