#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "tests/support/FakeSysfs.h"
#include "tests/support/TempFolder.h"

using namespace tapelink::test;

namespace fs = std::filesystem;

extern char** environ;

namespace {

// The environment of this process with the TAPELINK_ variables replaced by `set`.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& set) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).starts_with("TAPELINK_")) continue;
        env.emplace_back(*entry);
    }
    for (const auto& [name, value] : set) env.push_back(name + "=" + value);
    return env;
}

// A running tapelink-cli with its stdout and stderr on pipes.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
        int out[2];
        int err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe failed");
        std::vector<std::string> argStrings{TAPELINK_CLI};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        const auto envStrings = environmentWith(env);
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (const auto& arg : argStrings) argv.push_back(const_cast<char*>(arg.c_str()));
        for (const auto& var : envStrings) envp.push_back(const_cast<char*>(var.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::close(out[0]);
            ::close(err[0]);
            ::execve(TAPELINK_CLI, argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~CliProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
        ::close(m_out);
        ::close(m_err);
    }

    pid_t pid() const { return m_pid; }

    // The next line of stdout without its newline; empty at the end or after a generous guard time.
    std::string readLine() {
        std::string line;
        char c = 0;
        while (readByte(m_out, c) && c != '\n') line += c;
        return line;
    }

    // Reads both streams to their end and returns the exit status.
    int finish(std::string& out, std::string& err) {
        out = drain(m_out);
        err = drain(m_err);
        return wait();
    }
    int wait() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    static bool readByte(int fd, char& c) {
        pollfd ready{fd, POLLIN, 0};
        return ::poll(&ready, 1, 20000) == 1 && ::read(fd, &c, 1) == 1;
    }
    static std::string drain(int fd) {
        std::string text;
        char c = 0;
        while (readByte(fd, c)) text += c;
        return text;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

CliResult runCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
    CliProcess process(args, env);
    CliResult result;
    result.status = process.finish(result.out, result.err);
    return result;
}

// A machine with one telephone, mounted at a real folder whose name has a blank, and one other stick.
class LocateCli : public ::testing::Test {
protected:
    void SetUp() override {
        FakeSysfs sysfs(m_folder.path() + "sys/");
        sysfs.addDisk("sdb", {.vendor = "Generic", .model = "Flash Disk"});
        sysfs.addDisk("sdc");
        sysfs.addPartition("sdc", "sdc1");
        m_drive = m_folder.path() + "phone drive";
        fs::create_directory(m_drive);
        MountInfoWriter mounts;
        mounts.add("/dev/sdb", m_folder.path() + "a stick").add("/dev/sdc1", m_drive);
        m_env = {{"TAPELINK_MOUNTINFO", mounts.writeTo(m_folder.path() + "mountinfo")},
                 {"TAPELINK_SYSFS", sysfs.root()}};
        MountInfoWriter().add("/dev/sdb", m_folder.path() + "a stick").writeTo(m_folder.path() + "no-phone");
    }

    std::map<std::string, std::string> withoutPhone() const {
        auto env = m_env;
        env["TAPELINK_MOUNTINFO"] = m_folder.path() + "no-phone";
        return env;
    }

    TempFolder m_folder;
    std::string m_drive;
    std::map<std::string, std::string> m_env;
};

}  // namespace

TEST_F(LocateCli, PrintsTheTelephonesDriveRoot) {
    const auto found = runCli({"locate"}, m_env);
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, m_drive + "/\n");
    EXPECT_EQ(found.err, "");

    const auto none = runCli({"locate"}, withoutPhone());
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "");
}

TEST_F(LocateCli, StoreFolderReplacesTheDisks) {
    const std::string store = m_folder.path() + "store";
    fs::create_directory(store);
    const auto option = runCli({"--store", store, "locate"}, withoutPhone());
    EXPECT_EQ(option.status, 0);
    EXPECT_EQ(option.out, store + "/\n");

    auto env = m_env;
    env["TAPELINK_STORE"] = store + "/";
    EXPECT_EQ(runCli({"locate"}, env).out, store + "/\n");

    const auto missing = runCli({"--store", m_folder.path() + "missing", "locate"}, m_env);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
}

TEST_F(LocateCli, ListFindsTheTelephoneWithTheLocator) {
    ASSERT_EQ(runCli({"demo-store", m_drive, "--recordings", "4", "--max-seconds", "2"}).status, 0);
    // The first scan renames the legacy recording, which changes the folder's listing order.
    ASSERT_EQ(runCli({"--store", m_drive, "list"}).status, 0);
    const auto located = runCli({"list"}, m_env);
    const auto named = runCli({"--store", m_drive, "list"}, withoutPhone());
    EXPECT_EQ(located.status, 0) << located.err;
    EXPECT_EQ(located.out, named.out);
    EXPECT_EQ(std::count(located.out.begin(), located.out.end(), '\n'), 4);

    const auto none = runCli({"list"}, withoutPhone());
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "设备未准备好！\n");
}

TEST(WatchCli, PrintsEachNotificationWithTheLocatedRoot) {
    TempFolder folder;
    const std::string store = folder.path() + "store";
    CliProcess watch({"watch"}, {{"TAPELINK_STORE", store}});

    // The watcher is ready once it holds its inotify descriptor; creating the folder earlier would be missed.
    const std::string fds = "/proc/" + std::to_string(watch.pid()) + "/fd";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(fds, error)) {
            ready = ready || fs::read_symlink(entry.path(), error).string() == "anon_inode:inotify";
        }
        if (!ready) std::this_thread::yield();
    }
    ASSERT_TRUE(ready);

    fs::create_directory(store);
    EXPECT_EQ(watch.readLine(), "arrival\t" + store + "/");
    fs::remove(store);
    EXPECT_EQ(watch.readLine(), "removal\t");

    ::kill(watch.pid(), SIGINT);
    std::string out;
    std::string err;
    EXPECT_EQ(watch.finish(out, err), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}
