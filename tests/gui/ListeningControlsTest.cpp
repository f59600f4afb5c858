#include "playback/ui/ListeningControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

#include "phone/DemoVolume.h"
#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"
#include "platform/SndfileWavEncoder.h"
#include "platform/SoundTouchStretcher.h"
#include "playback/ui/CPlayDlg.h"
#include "playback/ui/WaveformStrip.h"
#include "tests/audio/SoundServer.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakeMixer.h"
#include "tests/support/FakeSelection.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/SyntheticSpeech.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;

namespace {

constexpr std::int64_t kFramesPerMs = 8;

class RememberedChoices : public IListeningPreferencesStore {
public:
    ListeningPreferences preferences() const override { return chosen; }
    bool setPreferences(const ListeningPreferences& preferences) override {
        chosen = preferences;
        ++saves;
        return true;
    }
    ListeningPreferences chosen;
    int saves = 0;
};

}  // namespace

// The player's speed, silence and waveform controls and its keys, driven by real key and mouse events.
class ListeningControlsTest : public QObject {
    Q_OBJECT

private:
    test::FakeAudioDecoder m_decoder;
    test::FakeAudioOutput m_output;
    test::FakeMixer m_mixer;
    test::RecordingMessages m_messages;
    test::FakeSelection m_selection;
    RememberedChoices m_choices;

    std::unique_ptr<CPlayDlg> openPlayer() {
        auto dialog = std::make_unique<CPlayDlg>(
            m_selection, PlayerDevices{m_decoder, m_output, m_mixer, &m_messages, nullptr, &m_choices});
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) qWarning("the player window was never exposed");
        return dialog;
    }
    template <typename Widget>
    static Widget* child(CPlayDlg& dialog, const char* name) {
        return dialog.findChild<Widget*>(QString::fromLatin1(name));
    }

private slots:
    void init() {
        m_decoder = {};
        m_output = {};
        m_mixer = {};
        m_messages = {};
        m_choices = {};
        m_selection = {};
        test::SyntheticSpeech speech;
        speech.tone(10.0).silence(20.0).tone(30.0);
        m_decoder.recordings["/archive/VOA00001.WAV"] = speech.audio();
        m_selection.rows = {"/archive/VOA00001.WAV"};
        m_selection.selected = 0;
    }

    void newControlsSitBelowTheOriginalOnesInsideTheWindow() {
        auto dialog = openPlayer();
        QWidget* speed = child<QComboBox>(*dialog, "speed");
        QWidget* skip = child<QCheckBox>(*dialog, "skipSilence");
        QWidget* strip = child<WaveformStrip>(*dialog, "waveform");
        for (QWidget* added : {speed, skip, strip}) {
            QVERIFY(added != nullptr);
            QVERIFY(dialog->rect().contains(added->geometry()));
            for (QWidget* original : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (original == speed || original == skip || original == strip || !original->isVisible()) continue;
                QVERIFY2(!original->geometry().intersects(added->geometry()), qPrintable(original->objectName()));
            }
        }
        QCOMPARE(qobject_cast<QCheckBox*>(skip)->text(), QStringLiteral("跳过静音"));
        QVERIFY(child<QPushButton>(*dialog, "1028")->toolTip().contains(QStringLiteral("空格")));
        QVERIFY(speed->toolTip().contains(QStringLiteral("↑")));
        QVERIFY(child<QSlider>(*dialog, "1036")->toolTip().contains(QStringLiteral("←")));
    }

    void rememberedChoicesApplyAndKeysChangeThem() {
        m_choices.chosen = {6, true};
        auto dialog = openPlayer();
        auto* speed = child<QComboBox>(*dialog, "speed");
        QCOMPARE(speed->currentText(), QStringLiteral("1.50×"));
        QVERIFY(child<QCheckBox>(*dialog, "skipSilence")->isChecked());
        QCOMPARE(dialog->playback().speedQuarters(), 6);
        QVERIFY(dialog->playback().skippedSilences() != nullptr);

        QTest::keyClick(dialog.get(), Qt::Key_Up);
        QCOMPARE(speed->currentText(), QStringLiteral("1.75×"));
        for (int press = 0; press < 10; ++press) QTest::keyClick(dialog.get(), Qt::Key_Down);
        QCOMPARE(speed->currentText(), QStringLiteral("0.50×"));
        QCOMPARE(m_choices.chosen, (ListeningPreferences{2, true}));

        QTest::mouseClick(child<QCheckBox>(*dialog, "skipSilence"), Qt::LeftButton);
        QCOMPARE(m_choices.chosen, (ListeningPreferences{2, false}));
        QCOMPARE(dialog->playback().skippedSilences(), nullptr);
    }

    void spaceAndArrowsPauseAndSeekWhateverHasTheFocus() {
        auto dialog = openPlayer();
        auto* pause = child<QPushButton>(*dialog, "1028");
        child<QPushButton>(*dialog, "1010")->setFocus();  // Space must not press the focused 停止
        m_output.playTo(20000 * kFramesPerMs);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Space);
        QCOMPARE(pause->text(), QStringLiteral("继续"));
        QVERIFY(dialog->playback().isLoaded());
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Space);
        QCOMPARE(pause->text(), QStringLiteral("暂停"));

        child<QSlider>(*dialog, "1036")->setFocus();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Right);
        QCOMPARE(dialog->playback().positionMs(), 25000);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Left);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Left);
        QCOMPARE(dialog->playback().positionMs(), 15000);
        QCOMPARE(m_output.state(), AudioOutputState::Playing);
    }

    void clickOnTheWaveformSeeksOnceTheClickIsOver() {
        auto dialog = openPlayer();
        auto* strip = child<WaveformStrip>(*dialog, "waveform");
        QTRY_VERIFY(strip->hasPeaks());
        const int starts = m_output.starts;
        QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(strip->width() * 3 / 4, strip->height() / 2));
        QCOMPARE(m_output.starts, starts);  // not yet: the seek waits for the event loop
        QTRY_COMPARE(m_output.starts, starts + 1);
        QVERIFY(std::abs(dialog->playback().positionMs() - 45000) <= 60000 / strip->width() + 1);
    }

    void afterStopTheWaveformStaysDrawn() {
        auto dialog = openPlayer();
        auto* strip = child<WaveformStrip>(*dialog, "waveform");
        QTRY_VERIFY(strip->hasPeaks());
        QTest::mouseClick(child<QPushButton>(*dialog, "1010"), Qt::LeftButton);
        QVERIFY(!dialog->playback().isLoaded());
        QTest::qWait(3 * ListeningControls::kRefreshMs);  // the controls' own refreshes come round meanwhile
        QVERIFY(strip->hasPeaks());
    }

    // The peaks come from the worker through the event loop: a result that arrives after its recording was
    // replaced is dropped, and recordings replaced while their peaks are still being computed leave the last one's.
    void waveformKeepsOnlyTheCurrentRecordingsPeaks() {
        WaveformStrip strip;
        strip.resize(400, 60);
        const auto audio = std::make_shared<const PcmAudio>(m_decoder.recordings["/archive/VOA00001.WAV"]);
        strip.setAudio(audio);
        QTest::qSleep(500);  // the worker finishes; its result waits in the event queue
        strip.setAudio(nullptr);
        QTest::qWait(100);
        QVERIFY(!strip.hasPeaks());
        for (int i = 0; i < 5; ++i) strip.setAudio(audio);
        QTRY_VERIFY(strip.hasPeaks());
    }

    void demoRecordingPlaysFastWithSilencesShortenedOnTheSoundServer() {
        if (!test::soundServerAvailable()) QSKIP("no private sound server (PULSE_SERVER)");
        test::TempFolder folder;
        const std::string path = folder.path() + "VOA00001.WAV";
        QVERIFY(SndfileWavEncoder().writeRecording(path, RecordingInfo{}, synthesizeVoice(8, 3)));
        m_selection.rows = {path};
        m_choices.chosen = {8, true};
        SndfileDecoder decoder;
        QtAudioOutput output;
        SoundTouchStretcher stretcher;
        CPlayDlg dialog(m_selection, PlayerDevices{decoder, output, m_mixer, &m_messages, &stretcher, &m_choices});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.playback().lengthMs() >= 8000);
        QVERIFY(!dialog.playback().skippedSilences()->skipped().empty());

        auto* strip = child<WaveformStrip>(dialog, "waveform");
        QTRY_VERIFY(strip->hasPeaks());
        QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(strip->width() / 2, strip->height() / 2));
        QTRY_VERIFY(std::abs(dialog.playback().positionMs() - 4000) < 200);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.playback().isLoaded(), 15000);
        QCOMPARE(m_messages.texts, std::vector<std::string>{});
    }
};

QTEST_MAIN(ListeningControlsTest)
#include "ListeningControlsTest.moc"
