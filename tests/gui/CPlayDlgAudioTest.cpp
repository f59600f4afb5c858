#include "archive/ui/CPlayDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <cmath>
#include <memory>

#include "archive/ui/ListeningControls.h"
#include "archive/ui/WaveformStrip.h"
#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"
#include "platform/SndfileWavEncoder.h"
#include "tests/audio/SoundServer.h"
#include "tests/support/FakeMixer.h"
#include "tests/support/FakeSelection.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;

namespace {

constexpr int kRecordingMs = 60000;
constexpr int kWaitMs = 15000;

// The newest stream's number on the sound server: the server numbers streams in creation order, so its growth
// is how many streams the player created. -1 without any stream.
int newestStream() {
    int newest = -1;
    const QStringList lines = QString::fromStdString(test::pactl("list short sink-inputs")).split('\n');
    for (const QString& line : lines) {
        bool ok = false;
        const int number = line.section('\t', 0, 0).toInt(&ok);
        if (ok) newest = std::max(newest, number);
    }
    return newest;
}

// The played part of "name    mm:ss / mm:ss" in seconds; -1 when the label does not read so.
int playedSeconds(const QLabel& where) {
    const QString time = where.text().section(QStringLiteral("    "), -1).section(QStringLiteral(" / "), 0, 0);
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = time.section(':', 0, 0).toInt(&minutesOk);
    const int seconds = time.section(':', 1, 1).toInt(&secondsOk);
    return minutesOk && secondsOk && time.size() == 5 ? minutes * 60 + seconds : -1;
}

}  // namespace

// The position slider driven with real mouse events, on the real sound output and the private null-sink server.
class CPlayDlgAudioTest : public QObject {
    Q_OBJECT

private:
    test::TempFolder m_folder;
    SndfileDecoder m_decoder;
    QtAudioOutput m_output;
    test::FakeMixer m_mixer;
    test::RecordingMessages m_messages;
    test::FakeSelection m_selection;
    std::unique_ptr<CPlayDlg> m_dialog;
    QSlider* m_slider = nullptr;

    QPoint nearTrackEnd() const { return {m_slider->width() * 9 / 10, m_slider->height() / 2}; }

    // One new stream, then no other for a while, and the recording plays on from the slider's place.
    void expectOneSeekAndPlayingOn(int streamBefore, int percent) {
        QTRY_COMPARE_WITH_TIMEOUT(newestStream(), streamBefore + 1, kWaitMs);
        const std::int32_t seekedTo = m_dialog->playback().positionMs();
        QVERIFY(seekedTo >= kRecordingMs / 100 * percent);
        QVERIFY(seekedTo < kRecordingMs / 100 * (percent + 1));
        QTest::qWait(1000);
        QCOMPARE(newestStream(), streamBefore + 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->playback().positionMs() > seekedTo + 300, kWaitMs);
        QVERIFY(m_dialog->playback().isLoaded());
        QVERIFY(!m_slider->isSliderDown());
    }

private slots:
    void initTestCase() {
        if (!test::soundServerAvailable()) QSKIP("no private sound server (PULSE_SERVER)");
        std::vector<std::int16_t> samples(static_cast<std::size_t>(kRecordingMs) * 8);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(6000 * std::sin(0.05 * static_cast<double>(i)));
        const std::string path = m_folder.path() + "VOA00001.WAV";
        SndfileWavEncoder().writeRecording(path, test::VolumeBuilder::info('B', "02000000000", 12, 1, 2, 3, 4),
                                           samples);
        m_selection.rows = {path};
        m_selection.selected = 0;
    }

    void init() {
        m_dialog = std::make_unique<CPlayDlg>(m_selection, PlayerDevices{m_decoder, m_output, m_mixer, &m_messages});
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_slider = m_dialog->findChild<QSlider*>(QStringLiteral("1036"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->playback().positionMs() > 0, kWaitMs);
    }

    void cleanup() {
        m_dialog.reset();
        QVERIFY(m_messages.texts.empty());
    }

    void clickOnTheTrackMovesOnePageAndSeeksOnceOnRelease() {
        for (int click = 0; click < 3; ++click) {
            const int before = newestStream();
            const int page = m_slider->value() + m_slider->pageStep();
            QTest::mousePress(m_slider, Qt::LeftButton, {}, nearTrackEnd());
            QCOMPARE(m_slider->sliderPosition(), page);
            QCOMPARE(newestStream(), before);
            QTest::mouseRelease(m_slider, Qt::LeftButton, {}, nearTrackEnd());
            expectOneSeekAndPlayingOn(before, page);
        }
    }

    void heldPressSeeksOnceOnRelease() {
        const int before = newestStream();
        QTest::mousePress(m_slider, Qt::LeftButton, {}, nearTrackEnd());
        QTest::qWait(1200);  // past the auto-repeat's delay, so the thumb steps on by itself
        QVERIFY(m_slider->sliderPosition() >= 30);
        QCOMPARE(newestStream(), before);
        const int heldTo = m_slider->sliderPosition();
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, nearTrackEnd());
        expectOneSeekAndPlayingOn(before, heldTo);
    }

    // The played time runs on with the real stream's clock and shows the sought place after a seek; 停止 keeps the
    // recording's waveform and 备注… on the recording that was loaded.
    void playedTimeFollowsThePlayAndTheSeekAndStopKeepsTheRecording() {
        const auto* where = m_dialog->findChild<QLabel*>(QStringLiteral("where"));
        QVERIFY(where->text().startsWith(QStringLiteral("VOA00001.WAV")));
        QVERIFY(where->text().endsWith(QStringLiteral(" / 01:00")));
        QTRY_VERIFY_WITH_TIMEOUT(playedSeconds(*where) >= 1, kWaitMs);

        const int before = newestStream();
        const int page = m_slider->value() + m_slider->pageStep();
        QTest::mousePress(m_slider, Qt::LeftButton, {}, nearTrackEnd());
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, nearTrackEnd());
        QTRY_COMPARE_WITH_TIMEOUT(newestStream(), before + 1, kWaitMs);
        const int sought = kRecordingMs / 1000 * page / 100;
        QVERIFY2(playedSeconds(*where) >= sought && playedSeconds(*where) <= sought + 2, qPrintable(where->text()));
        QTRY_VERIFY_WITH_TIMEOUT(playedSeconds(*where) > sought, kWaitMs);

        auto* strip = m_dialog->findChild<WaveformStrip*>(QStringLiteral("waveform"));
        QTRY_VERIFY_WITH_TIMEOUT(strip->hasPeaks(), kWaitMs);
        QTest::mouseClick(m_dialog->findChild<QPushButton*>(QStringLiteral("1010")), Qt::LeftButton);
        QVERIFY(!m_dialog->playback().isLoaded());
        QTest::qWait(3 * ListeningControls::kRefreshMs);
        QVERIFY(strip->hasPeaks());
        QCOMPARE(where->text().section(QStringLiteral("    "), -1), QStringLiteral("00:00 / 01:00"));
        QSignalSpy asked(m_dialog.get(), &CPlayDlg::noteRequested);
        QTest::mouseClick(m_dialog->findChild<QPushButton*>(QStringLiteral("notes")), Qt::LeftButton);
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(asked.front().front().toString(), QString::fromStdString(m_selection.rows.front()));
    }

    // As the window system delivers a quick click: both events already queued when the press is handled.
    void queuedClickSeeksOnce() {
        const int before = newestStream();
        const int page = m_slider->value() + m_slider->pageStep();
        const QPoint at = nearTrackEnd();
        const QPoint global = m_slider->mapToGlobal(at);
        QCoreApplication::postEvent(m_slider, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                              Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(m_slider, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                              Qt::NoButton, Qt::NoModifier));
        expectOneSeekAndPlayingOn(before, page);
    }
};

QTEST_MAIN(CPlayDlgAudioTest)
#include "CPlayDlgAudioTest.moc"
