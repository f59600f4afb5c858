#include "cli/InterruptStop.h"

#include <signal.h>

#include <ctime>

namespace tapelink::cli {

namespace {

sigset_t interruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

InterruptStop::InterruptStop() {
    const sigset_t set = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_waiter = std::jthread([this, set](std::stop_token ending) {
        // Woken now and then to see whether the work is over; a signal ends the wait at once.
        const timespec interval{0, 50'000'000};
        while (!ending.stop_requested()) {
            if (sigtimedwait(&set, nullptr, &interval) > 0) {
                m_source.request_stop();
                return;
            }
        }
    });
}

InterruptStop::~InterruptStop() {
    m_waiter.request_stop();
    m_waiter.join();
    // Signals that came after the waiter ended stay pending and end the process as usual when unblocked.
    const sigset_t set = interruptSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace tapelink::cli
