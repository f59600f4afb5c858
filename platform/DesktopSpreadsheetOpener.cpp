#include "platform/DesktopSpreadsheetOpener.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <vector>

namespace tapelink {

namespace {

constexpr const char* kLauncher = "gio";

// The full path of a program found in PATH, empty when it is not there.
std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// What the watching process saw of the launcher.
struct LaunchReport {
    enum Kind : int { Exited, Signalled, NotStarted, StillRunning } kind = NotStarted;
    int value = 0;  // exit status, signal or errno
};

long long monotonicMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void writeReport(int fd, LaunchReport report) {
    [[maybe_unused]] const auto written = ::write(fd, &report, sizeof report);
}

// In the forked watcher (only async-signal-safe calls): starts the launcher in a new session, waits
// for its answer up to answerMs and reports it. The watcher then exits, so a launcher still running
// belongs to nobody here and is never left to reap.
[[noreturn]] void watchLauncher(const std::string& program, char* const* argv, long long answerMs, int reportFd) {
    ::setsid();
    int execPipe[2];
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        writeReport(reportFd, {LaunchReport::NotStarted, errno});
        ::_exit(0);
    }
    const pid_t launcher = ::fork();
    if (launcher == 0) {
        const int nullFd = ::open("/dev/null", O_RDONLY);
        ::dup2(nullFd, STDIN_FILENO);
        // Nothing of ours (lock files, devices) may stay open in the spreadsheet application.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(program.c_str(), argv);
        const int code = errno;
        [[maybe_unused]] const auto written = ::write(execPipe[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(execPipe[1]);
    if (launcher < 0) {
        writeReport(reportFd, {LaunchReport::NotStarted, errno});
        ::_exit(0);
    }
    int code = 0;
    ssize_t got = 0;
    while ((got = ::read(execPipe[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof code)) {
        ::waitpid(launcher, nullptr, 0);
        writeReport(reportFd, {LaunchReport::NotStarted, code});
        ::_exit(0);
    }
    const long long deadline = monotonicMs() + answerMs;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(launcher, &status, WNOHANG);
        if (done == launcher) {
            writeReport(reportFd, WIFEXITED(status) ? LaunchReport{LaunchReport::Exited, WEXITSTATUS(status)}
                                                    : LaunchReport{LaunchReport::Signalled, WTERMSIG(status)});
            ::_exit(0);
        }
        if (monotonicMs() >= deadline) {
            writeReport(reportFd, {LaunchReport::StillRunning, 0});
            ::_exit(0);
        }
        const timespec pause{0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace

bool DesktopSpreadsheetOpener::available() {
    return !findProgram(kLauncher).empty();
}

bool DesktopSpreadsheetOpener::open(const std::string& path, std::string& error) {
    const std::string program = findProgram(kLauncher);
    if (program.empty()) {
        error = std::string(kLauncher) + ": " + std::strerror(ENOENT);
        return false;
    }
    std::vector<std::string> arguments{kLauncher, "open", path};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t watcher = ::fork();
    if (watcher == 0) watchLauncher(program, argv.data(), m_answerTime.count(), reportPipe[1]);
    ::close(reportPipe[1]);
    if (watcher < 0) {
        error = std::strerror(errno);
        ::close(reportPipe[0]);
        return false;
    }
    LaunchReport report;
    ssize_t got = 0;
    while ((got = ::read(reportPipe[0], &report, sizeof report)) < 0 && errno == EINTR) {
    }
    ::close(reportPipe[0]);
    while (::waitpid(watcher, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof report)) {
        error = program + ": no answer";
        return false;
    }
    switch (report.kind) {
        case LaunchReport::Exited:
            if (report.value == 0) return true;
            error = program + ": exit status " + std::to_string(report.value);
            return false;
        case LaunchReport::Signalled:
            error = program + ": " + ::strsignal(report.value);
            return false;
        case LaunchReport::NotStarted:
            error = program + ": " + std::strerror(report.value);
            return false;
        case LaunchReport::StillRunning:
            return true;
    }
    return false;
}

}  // namespace tapelink
