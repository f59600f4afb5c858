#include "cli/WatchCommand.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "phone/IDeviceChangeObserver.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/MountWatcher.h"

namespace tapelink::cli {

namespace {

// Asks the locator again at each notification, as the main window does, and prints one line.
class NotificationPrinter : public IDeviceChangeObserver {
public:
    explicit NotificationPrinter(const IDeviceLocator& locator) : m_locator(locator) {}
    void deviceArrived() override { print("arrival"); }
    void deviceRemoved() override { print("removal"); }

private:
    void print(const char* what) { std::cout << what << '\t' << m_locator.FindPhoneDrive() << std::endl; }

    const IDeviceLocator& m_locator;
};

}  // namespace

WatchCommand::WatchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("watch", "Print a line for every device arrival and removal")),
      m_context(context) {}

int WatchCommand::run() {
    const LinuxDeviceLocator locator(m_context.storeOption);
    MountWatcher watcher(locator.sources().storeFolder);
    if (!watcher.open()) {
        std::cerr << "tapelink-cli: the mount table can't be watched\n";
        return kExitMessage;
    }

    // The signals are taken with sigwait() here; blocking them first keeps them off the worker thread.
    sigset_t endSignals;
    ::sigemptyset(&endSignals);
    ::sigaddset(&endSignals, SIGINT);
    ::sigaddset(&endSignals, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    NotificationPrinter printer(locator);
    std::atomic<bool> failed = false;
    std::jthread worker([&](std::stop_token stop) {
        watcher.run(stop, printer);
        if (!stop.stop_requested()) {
            failed = true;
            ::kill(::getpid(), SIGTERM);  // wakes the sigwait() below
        }
    });
    int received = 0;
    ::sigwait(&endSignals, &received);
    worker.request_stop();
    worker.join();
    return failed ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
