#include "playback/ui/CPlayDlg.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <memory>

#include "tests/gui/ModalDriver.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakeMixer.h"
#include "tests/support/FakeSelection.h"
#include "tests/support/RecordingMessages.h"

using namespace tapelink;

namespace {

constexpr std::int64_t kFramesPerMs = 8;
const auto kVolumeKey = std::make_pair(MixerLine::WaveOut, MixerControlKind::Volume);
const auto kMuteKey = std::make_pair(MixerLine::WaveOut, MixerControlKind::Mute);

}  // namespace

class CPlayDlgTest : public QObject {
    Q_OBJECT

private:
    test::FakeAudioDecoder m_decoder;
    test::FakeAudioOutput m_output;
    test::FakeMixer m_mixer;
    test::RecordingMessages m_messages;
    test::FakeSelection m_selection;

    std::unique_ptr<CPlayDlg> openPlayer() {
        auto dialog = std::make_unique<CPlayDlg>(m_selection, PlayerDevices{m_decoder, m_output, m_mixer, &m_messages});
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) qWarning("the player window was never exposed");
        return dialog;
    }
    static QPushButton* button(CPlayDlg& dialog, const char* id) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(id));
    }
    static QSlider* slider(CPlayDlg& dialog, const char* id) {
        return dialog.findChild<QSlider*>(QString::fromLatin1(id));
    }

private slots:
    void init() {
        m_decoder = {};
        m_output = {};
        m_mixer = {};
        m_messages = {};
        m_selection = {};
        for (int row = 0; row < 5; ++row) {
            const std::string path = "/archive/VOA0000" + std::to_string(row) + ".WAV";
            m_selection.rows.push_back(path);
            m_decoder.addRecording(path, 60000);
        }
    }

    void windowHasTheTemplatesControlsInTabOrder() {
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("play"));
        QCOMPARE(dialog->width(), 494);
        const QStringList order{"1027", "1028", "1010", "1034", "1036", "1035", "1067", "1068"};
        QWidget* widget = dialog->findChild<QWidget*>(order.front());
        for (const QString& id : order.mid(1)) {
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus));
            QCOMPARE(widget->objectName(), id);
        }
        QCOMPARE(button(*dialog, "1028")->text(), QStringLiteral("暂停"));
        QCOMPARE(button(*dialog, "1034")->text(), QStringLiteral("静音"));
    }

    void opensPlayingTheSelectedRowAndStepsWithWrapAround() {
        m_selection.selected = 3;
        auto dialog = openPlayer();
        QCOMPARE(m_decoder.decoded.back(), m_selection.rows[3]);
        QVERIFY(dialog->playback().isLoaded());
        QCOMPARE(m_output.state(), AudioOutputState::Playing);

        QTest::mouseClick(button(*dialog, "1068"), Qt::LeftButton);
        QCOMPARE(m_selection.selected, 4);
        QCOMPARE(m_decoder.decoded.back(), m_selection.rows[4]);
        QTest::mouseClick(button(*dialog, "1068"), Qt::LeftButton);
        QCOMPARE(m_selection.selected, 0);
        QCOMPARE(m_decoder.decoded.back(), m_selection.rows[0]);
        QTest::mouseClick(button(*dialog, "1067"), Qt::LeftButton);
        QCOMPARE(m_selection.selected, 4);
        QCOMPARE(m_decoder.decoded.back(), m_selection.rows[4]);
        QCOMPARE(m_output.startFrame, 0);
        QCOMPARE(m_output.state(), AudioOutputState::Playing);
    }

    void noteButtonAsksForTheNoteOfTheRecordingPlaying() {
        m_selection.selected = -1;
        auto dialog = openPlayer();
        QVERIFY(!button(*dialog, "notes")->isEnabled());  // nothing was opened
        m_selection.selected = 3;
        QTest::mouseClick(button(*dialog, "1027"), Qt::LeftButton);
        QSignalSpy asked(dialog.get(), &CPlayDlg::noteRequested);
        QTest::mouseClick(button(*dialog, "notes"), Qt::LeftButton);
        // The selection moving on after the recording was opened does not change whose note it is.
        m_selection.selected = 1;
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(asked.front().front().toString(), QString::fromStdString(m_selection.rows[3]));
    }

    void singleRowIsReplayedFromTheStart() {
        m_selection.rows.resize(1);
        m_selection.selected = 0;
        auto dialog = openPlayer();
        m_output.playTo(20000 * kFramesPerMs);
        QTest::mouseClick(button(*dialog, "1068"), Qt::LeftButton);
        QCOMPARE(m_output.starts, 2);
        QCOMPARE(dialog->playback().positionMs(), 0);
        m_output.playTo(5000 * kFramesPerMs);
        QTest::mouseClick(button(*dialog, "1067"), Qt::LeftButton);
        QCOMPARE(m_output.starts, 3);
        QCOMPARE(dialog->playback().positionMs(), 0);
        QCOMPARE(m_decoder.decoded, std::vector<std::string>(3, m_selection.rows[0]));
    }

    void afterTheEndNextAndPreviousDoNothingButPlayReplays() {
        m_selection.selected = 1;
        auto dialog = openPlayer();
        m_output.playTo(60000 * kFramesPerMs);
        QTRY_VERIFY(!dialog->playback().isLoaded());
        QCOMPARE(slider(*dialog, "1036")->value(), 0);

        QTest::mouseClick(button(*dialog, "1068"), Qt::LeftButton);
        QTest::mouseClick(button(*dialog, "1067"), Qt::LeftButton);
        QCOMPARE(m_selection.selected, 1);
        QCOMPARE(m_decoder.decoded.size(), std::size_t{1});
        QVERIFY(!dialog->playback().isLoaded());

        QTest::mouseClick(button(*dialog, "1027"), Qt::LeftButton);
        QVERIFY(dialog->playback().isLoaded());
        QCOMPARE(m_decoder.decoded.back(), m_selection.rows[1]);
    }

    void pauseContinuesAndStopResetsTheCaption() {
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QPushButton* pause = button(*dialog, "1028");
        m_output.playTo(10000 * kFramesPerMs);

        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("继续"));
        QCOMPARE(m_output.state(), AudioOutputState::Paused);
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("暂停"));
        QCOMPARE(m_output.state(), AudioOutputState::Playing);

        // 播放 while paused continues where it was instead of restarting.
        QTest::mouseClick(pause, Qt::LeftButton);
        QTest::mouseClick(button(*dialog, "1027"), Qt::LeftButton);
        QCOMPARE(m_output.state(), AudioOutputState::Playing);
        QCOMPARE(m_output.starts, 1);
        QCOMPARE(dialog->playback().positionMs(), 10000);
        QCOMPARE(pause->text(), QStringLiteral("暂停"));

        // 播放 while playing starts the selected row again from its beginning.
        QTest::mouseClick(button(*dialog, "1027"), Qt::LeftButton);
        QCOMPARE(m_output.starts, 2);
        QCOMPARE(dialog->playback().positionMs(), 0);

        QTest::mouseClick(pause, Qt::LeftButton);
        QTest::mouseClick(button(*dialog, "1010"), Qt::LeftButton);
        QVERIFY(!dialog->playback().isLoaded());
        QVERIFY(!dialog->playback().paused());
        QCOMPARE(pause->text(), QStringLiteral("暂停"));

        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("暂停"));
    }

    void positionSliderFollowsThePlayAndSeeksWhenLetGo() {
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QSlider* position = slider(*dialog, "1036");
        auto* where = dialog->findChild<QLabel*>(QStringLiteral("where"));
        m_output.playTo(30000 * kFramesPerMs);
        QTRY_COMPARE(position->value(), 50);
        QCOMPARE(where->text(), QStringLiteral("VOA00000.WAV    00:30 / 01:00"));

        position->setSliderDown(true);
        position->setSliderPosition(25);
        position->setSliderDown(false);
        QTRY_COMPARE(m_output.startFrame, 15000 * kFramesPerMs);
        QCOMPARE(dialog->playback().positionMs(), 15000);
        QCOMPARE(where->text(), QStringLiteral("VOA00000.WAV    00:15 / 01:00"));

        // After 停止 the recording stays named with its length, and 备注… still edits its note.
        QTest::mouseClick(button(*dialog, "1010"), Qt::LeftButton);
        QCOMPARE(where->text(), QStringLiteral("VOA00000.WAV    00:00 / 01:00"));
        QVERIFY(button(*dialog, "notes")->isEnabled());
        QCOMPARE(dialog->openedPath(), std::string("/archive/VOA00000.WAV"));
        QTest::mouseClick(button(*dialog, "1027"), Qt::LeftButton);

        position->triggerAction(QAbstractSlider::SliderToMaximum);
        QTRY_COMPARE(m_output.startFrame, 60000 * kFramesPerMs);
        QTRY_VERIFY(!dialog->playback().isLoaded());
    }

    void noSelectionEndsAtTheFirstTickWithoutAMessage() {
        auto dialog = openPlayer();
        QVERIFY(dialog->playback().isLoaded());
        QTRY_VERIFY(!dialog->playback().isLoaded());
        QVERIFY(m_messages.texts.empty());
        QCOMPARE(m_output.starts, 0);
    }

    void undecodableFirstRecordingsBoxIsCentredOnTheParent() {
        QDialog search;
        search.setGeometry(500, 300, 600, 400);
        search.show();
        QVERIFY(QTest::qWaitForWindowExposed(&search));
        m_selection.rows = {"/archive/broken.WAV"};
        m_selection.selected = 0;
        QRect boxPlace;
        bool seen = false;
        test::whenModal<QMessageBox>([&](QMessageBox& box) { boxPlace = box.geometry(); }, &seen);
        CPlayDlg dialog(m_selection, PlayerDevices{m_decoder, m_output, m_mixer}, &search);
        QVERIFY(seen);
        // Over the search dialog, where the player opens, not in a corner of the screen.
        QVERIFY2(search.geometry().contains(boxPlace),
                 qPrintable(QStringLiteral("box at %1,%2").arg(boxPlace.x()).arg(boxPlace.y())));
        // Centred in height, give or take the window frame's title bar.
        QVERIFY(std::abs(boxPlace.center().y() - search.geometry().center().y()) < 40);
    }

    void volumeSliderIsLoudestAtTheTopFilledFromTheBottomAndSetsTheMixer() {
        m_mixer.values[kVolumeKey] = 65535u * 70 / 100;
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QSlider* volume = slider(*dialog, "1035");
        QCOMPARE(volume->value(), 69);  // 45874 of 65535 reads as 69 percent

        // A click on the groove above the thumb makes it louder, below it quieter.
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() / 2, 2));
        QVERIFY(m_mixer.values[kVolumeKey] > 65535u * 70 / 100);
        m_mixer.values[kVolumeKey] = 65535u / 2;
        dialog->repaint();
        QCOMPARE(volume->value(), 49);
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() / 2, volume->height() - 2));
        QVERIFY(m_mixer.values[kVolumeKey] < 65535u / 2);

        // The groove's filled (highlighted) part is the volume: it grows as the sound gets louder.
        const auto filledLength = [&](unsigned percent) {
            m_mixer.values[kVolumeKey] = 65535u * percent / 100;
            dialog->repaint();
            const QImage image = volume->grab().toImage();
            int length = 0;
            for (int y = 0; y < image.height(); ++y) {
                const QColor colour = image.pixelColor(image.width() / 2, y);
                if (colour.blue() - colour.red() > 60) ++length;
            }
            return length;
        };
        QVERIFY(filledLength(90) > filledLength(10) + volume->height() / 2);
    }

    void muteButtonFollowsItsCaptionAndClosingUnmutes() {
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QPushButton* mute = button(*dialog, "1034");
        QTest::mouseClick(mute, Qt::LeftButton);
        QCOMPARE(m_mixer.values[kMuteKey], 1u);
        QCOMPARE(mute->text(), QStringLiteral("取消静音"));

        // Changed elsewhere: the caption shows it at the next repaint.
        m_mixer.values[kMuteKey] = 0;
        dialog->repaint();
        QCOMPARE(mute->text(), QStringLiteral("静音"));
        m_mixer.values[kMuteKey] = 1;
        dialog->repaint();
        QCOMPARE(mute->text(), QStringLiteral("取消静音"));

        dialog->close();
        QCOMPARE(m_mixer.values[kMuteKey], 0u);
        QCOMPARE(mute->text(), QStringLiteral("静音"));
        QVERIFY(!dialog->playback().isLoaded());
    }

    void alreadyMutedOutputShowsUnmuteFromTheStartAndIsUnmutedAtClose() {
        m_mixer.values[kMuteKey] = 1;
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QCOMPARE(button(*dialog, "1034")->text(), QStringLiteral("取消静音"));
        dialog.reset();
        QCOMPARE(m_mixer.values[kMuteKey], 0u);
    }

    void missingMixerReadsAsSilentAndUnmuted() {
        m_mixer.present = false;
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QCOMPARE(slider(*dialog, "1035")->value(), 0);
        QCOMPARE(button(*dialog, "1034")->text(), QStringLiteral("静音"));
        QTest::mouseClick(button(*dialog, "1034"), Qt::LeftButton);
        QCOMPARE(button(*dialog, "1034")->text(), QStringLiteral("取消静音"));
        QVERIFY(m_messages.texts.empty());
    }

    void deviceNotificationsGoOnToTheParent() {
        m_selection.selected = 0;
        auto dialog = openPlayer();
        QSignalSpy arrived(dialog.get(), &CPlayDlg::deviceArrived);
        QSignalSpy removed(dialog.get(), &CPlayDlg::deviceRemoved);
        dialog->onDeviceArrived();
        dialog->onDeviceRemoved();
        dialog->onDeviceRemoved();
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(removed.count(), 2);
    }
};

QTEST_MAIN(CPlayDlgTest)
#include "CPlayDlgTest.moc"
