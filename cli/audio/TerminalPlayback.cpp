#include "cli/audio/TerminalPlayback.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>

#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"
#include "platform/SoundTouchStretcher.h"
#include "playback/IPlaybackView.h"
#include "playback/PlaybackSession.h"

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

// Passes messages on and counts them.
class CountingSink : public IMessageSink {
public:
    explicit CountingSink(IMessageSink& target) : m_target(target) {}
    void showMessage(const std::string& text, MessageIcon icon) override {
        ++m_count;
        m_target.showMessage(text, icon);
    }
    int count() const { return m_count; }

private:
    IMessageSink& m_target;
    int m_count = 0;
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
    // A file that got a message did not play: it prints no progress line.
    CountingSink fileMessages(messages);
    PlaybackSession session(decoder, output, view, fileMessages, &stretcher);
    session.setSpeedQuarters(listening.speedQuarters);
    session.setSkipSilence(listening.skipSilence);

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    std::size_t next = 0;
    std::string current;
    std::int32_t length = 0;
    int messagesBefore = 0;
    bool lineStarted = false;

    auto openNext = [&]() {
        if (next == files.size()) {
            QCoreApplication::quit();
            return;
        }
        current = std::filesystem::path(files[next]).filename().string();
        messagesBefore = fileMessages.count();
        lineStarted = false;
        session.Open(files[next++]);
        length = session.lengthMs();
    };
    auto progressLine = [&](std::int32_t position) {
        return current + "  " + clockText(position) + " / " + clockText(length);
    };
    auto tick = [&]() {
        session.OnTimer();
        if (session.isLoaded()) {
            if (terminal && length > 0) {
                std::cout << '\r' << progressLine(session.positionMs()) << std::flush;
                lineStarted = true;
            }
            return;
        }
        // Played to its end, or nothing playable was there.
        if (length > 0 && fileMessages.count() == messagesBefore) {
            std::cout << (terminal ? "\r" : "") << progressLine(length) << '\n' << std::flush;
        } else if (lineStarted) {
            std::cout << '\n' << std::flush;  // the device gave up partway: the line stays where it stopped
        }
        openNext();
    };
    // Nothing may cross Qt's event loop: an unexpected failure ends this file with its message and the next
    // one plays.
    std::function<void()> openNextGuarded;
    auto guard = [&](const std::function<void()>& work) {
        std::string why;
        try {
            work();
            return;
        } catch (const std::exception& error) {
            why = error.what();
        } catch (...) {
        }
        fileMessages.showMessage(current + "：播放时出错。" + why, MessageIcon::Warning);
        if (lineStarted) std::cout << '\n' << std::flush;
        try {
            session.Stop();
        } catch (...) {
        }
        QTimer::singleShot(0, &app, openNextGuarded);
    };
    openNextGuarded = [&] { guard(openNext); };
    QObject::connect(&timer, &QTimer::timeout, &app, [&] { guard(tick); });
    QTimer::singleShot(0, &app, openNextGuarded);
    app.exec();
}

}  // namespace tapelink::cli
