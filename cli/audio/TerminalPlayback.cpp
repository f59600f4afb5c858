#include "cli/audio/TerminalPlayback.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "archive/IPlaybackView.h"
#include "archive/PlaybackSession.h"
#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"
#include "platform/SoundTouchStretcher.h"

namespace tapelink::cli {

namespace {

// The terminal has no slider or pause button; only the tick matters.
class TerminalView : public IPlaybackView {
public:
    explicit TerminalView(QTimer& timer) : m_timer(timer) {}
    int positionSlider() const override { return m_slider; }
    void setPositionSlider(int position) override { m_slider = position; }
    void setPauseCaption(const std::string&) override {}
    void setTimerRunning(bool running) override {
        if (running) {
            m_timer.start();
        } else {
            m_timer.stop();
        }
    }

private:
    QTimer& m_timer;
    int m_slider = 0;
};

}  // namespace

std::string clockText(std::int32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%d", ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    return text;
}

void playFiles(const std::vector<std::string>& files, const ListeningPreferences& listening, IMessageSink& messages) {
    int argc = 1;
    char name[] = "tapelink-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    QTimer timer;
    timer.setInterval(kPlaybackTickMs);
    TerminalView view(timer);
    SndfileDecoder decoder;
    QtAudioOutput output;
    SoundTouchStretcher stretcher;
    PlaybackSession session(decoder, output, view, messages, &stretcher);
    session.setSpeedQuarters(listening.speedQuarters);
    session.setSkipSilence(listening.skipSilence);

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    std::size_t next = 0;
    std::string current;
    std::int32_t length = 0;

    auto openNext = [&]() {
        if (next == files.size()) {
            QCoreApplication::quit();
            return;
        }
        current = std::filesystem::path(files[next]).filename().string();
        session.Open(files[next++]);
        length = session.lengthMs();
    };
    auto progressLine = [&](std::int32_t position) {
        return current + "  " + clockText(position) + " / " + clockText(length);
    };

    QObject::connect(&timer, &QTimer::timeout, &app, [&]() {
        session.OnTimer();
        if (session.isLoaded()) {
            if (terminal) std::cout << '\r' << progressLine(session.positionMs()) << std::flush;
            return;
        }
        // Played to its end, or nothing playable was there.
        std::cout << (terminal ? "\r" : "") << progressLine(length) << '\n' << std::flush;
        openNext();
    });
    QTimer::singleShot(0, &app, openNext);
    app.exec();
}

}  // namespace tapelink::cli
