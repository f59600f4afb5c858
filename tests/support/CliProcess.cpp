#include "tests/support/CliProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/CliRunner.h"

namespace tapelink::test {

namespace {

constexpr int kGuardMs = 20000;

bool readByte(int fd, char& c) {
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, kGuardMs) == 1 && ::read(fd, &c, 1) == 1;
}

std::string drain(int fd) {
    std::string text;
    char c = 0;
    while (readByte(fd, c)) text += c;
    return text;
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const CliEnvironment& env) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe failed");
    const CliCommand command(args, env);
    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        command.exec();
    }
    ::close(out[1]);
    ::close(err[1]);
    m_out = out[0];
    m_err = err[0];
}

CliProcess::~CliProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        wait();
    }
    ::close(m_out);
    ::close(m_err);
}

void CliProcess::signal(int number) const {
    if (m_pid > 0) ::kill(m_pid, number);
}

std::string CliProcess::readLine() {
    std::string line;
    char c = 0;
    while (readByte(m_out, c) && c != '\n') line += c;
    return line;
}

int CliProcess::finish(std::string& out, std::string& err) {
    out = drain(m_out);
    err = drain(m_err);
    return wait();
}

int CliProcess::wait() {
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return exitCodeOf(status);
}

}  // namespace tapelink::test
