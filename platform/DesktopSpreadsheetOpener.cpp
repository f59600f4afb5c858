#include "platform/DesktopSpreadsheetOpener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace tapelink {

namespace {

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

std::vector<char*> argumentPointers(std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    for (auto& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs a program to its end and returns what it printed on stdout.
std::string captureOutput(const std::string& program, std::vector<std::string> arguments) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    std::vector<char*> argv = argumentPointers(arguments);
    const pid_t child = ::fork();
    if (child == 0) {
        const int nullFd = ::open("/dev/null", O_RDWR);
        ::dup2(nullFd, STDIN_FILENO);
        ::dup2(nullFd, STDERR_FILENO);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[512];
    ssize_t got = 0;
    while (child > 0 && ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))) {
        if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    if (child > 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    }
    return output;
}

// Starts a program in a session of its own that outlives this one (the middle child exits at once,
// so nothing is left to reap). Only the start can fail here: the exec error comes back on a pipe.
bool startDetached(const std::string& program, std::vector<std::string> arguments, std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<char*> argv = argumentPointers(arguments);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        const int nullFd = ::open("/dev/null", O_RDONLY);
        ::dup2(nullFd, STDIN_FILENO);
        // Nothing of ours (lock files, devices) may stay open in the spreadsheet application.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(program.c_str(), argv.data());
        const int code = errno;
        [[maybe_unused]] const auto written = ::write(pipeFds[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (child < 0) {
        error = std::strerror(errno);
        ::close(pipeFds[0]);
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int code = 0;
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    ::close(pipeFds[0]);
    if (got == static_cast<ssize_t>(sizeof code)) {
        error = program + ": " + std::strerror(code);
        return false;
    }
    return true;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string DesktopSpreadsheetOpener::defaultApplication() {
    const std::string xdgMime = findProgram("xdg-mime");
    if (xdgMime.empty()) return {};
    return trimmed(captureOutput(xdgMime, {"xdg-mime", "query", "default", kXlsxMimeType}));
}

bool DesktopSpreadsheetOpener::open(const std::string& path, std::string& error) {
    if (const std::string gio = findProgram("gio"); !gio.empty())
        return startDetached(gio, {"gio", "open", path}, error);
    if (const std::string xdgOpen = findProgram("xdg-open"); !xdgOpen.empty()) {
        return startDetached(xdgOpen, {"xdg-open", path}, error);
    }
    error = "gio, xdg-open: " + std::string(std::strerror(ENOENT));
    return false;
}

}  // namespace tapelink
