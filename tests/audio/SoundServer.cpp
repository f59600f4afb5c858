#include "tests/audio/SoundServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

#include "platform/PulseMixer.h"

namespace tapelink::test {

bool soundServerAvailable() {
    const char* server = std::getenv("PULSE_SERVER");
    if (server == nullptr || *server == '\0') return false;
    PulseMixer mixer(server, 2000);
    const bool reachable = mixer.open();
    mixer.close();
    return reachable;
}

std::string pactl(const std::string& arguments) {
    std::string output;
    FILE* pipe = popen(("pactl " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
    return output;
}

bool runEventsUntil(const std::function<bool()>& done, int timeoutMs, const std::function<void()>& tick) {
    QElapsedTimer clock;
    clock.start();
    qint64 nextTick = 300;
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (tick && clock.elapsed() >= nextTick) {
            tick();
            nextTick += 300;
        }
    }
    return done();
}

}  // namespace tapelink::test
