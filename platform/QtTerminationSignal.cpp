#include "platform/QtTerminationSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace tapelink {

namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT};

// A signal handler can only reach plain data: the write end of the pipe the notifier reads.
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void writeSignalByte(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending wake-up, so a lost byte loses nothing.
    [[maybe_unused]] const auto written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

QtTerminationSignal::QtTerminationSignal(QObject* parent) : QObject(parent) {}

QtTerminationSignal::~QtTerminationSignal() {
    if (m_readFd < 0) return;
    for (const int number : kSignals) std::signal(number, SIG_DFL);
    ::close(g_writeFd);
    g_writeFd = -1;
    ::close(m_readFd);
}

bool QtTerminationSignal::start() {
    if (m_readFd >= 0 || g_writeFd >= 0) return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    m_readFd = fds[0];
    g_writeFd = fds[1];
    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QtTerminationSignal::drain);

    struct sigaction action {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        if (sigaction(number, &action, nullptr) != 0) return false;
    }
    return true;
}

void QtTerminationSignal::drain() {
    char bytes[16];
    while (::read(m_readFd, bytes, sizeof bytes) > 0) {
    }
    emit received();
}

}  // namespace tapelink
