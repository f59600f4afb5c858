#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/CliProcess.h"
#include "tests/support/CliRunner.h"
#include "tests/support/FakeSysfs.h"
#include "tests/support/TempFolder.h"

using namespace tapelink::test;

namespace fs = std::filesystem;

namespace {

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

    CliEnvironment withoutPhone() const {
        auto env = m_env;
        env["TAPELINK_MOUNTINFO"] = m_folder.path() + "no-phone";
        return env;
    }

    TempFolder m_folder;
    std::string m_drive;
    CliEnvironment m_env;
};

}  // namespace

TEST_F(LocateCli, PrintsTheTelephonesDriveRoot) {
    const auto found = runCli({"locate"}, m_env);
    EXPECT_EQ(found.exitCode, 0);
    EXPECT_EQ(found.out, m_drive + "/\n");
    EXPECT_EQ(found.err, "");

    const auto none = runCli({"locate"}, withoutPhone());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "设备未准备好！\n");  // as every command that needs the telephone says
}

TEST_F(LocateCli, StoreFolderReplacesTheDisks) {
    const std::string store = m_folder.path() + "store";
    fs::create_directory(store);
    const auto option = runCli({"--store", store, "locate"}, withoutPhone());
    EXPECT_EQ(option.exitCode, 0);
    EXPECT_EQ(option.out, store + "/\n");

    auto env = m_env;
    env["TAPELINK_STORE"] = store + "/";
    EXPECT_EQ(runCli({"locate"}, env).out, store + "/\n");

    const auto missing = runCli({"--store", m_folder.path() + "missing", "locate"}, m_env);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
}

TEST_F(LocateCli, ListFindsTheTelephoneWithTheLocator) {
    ASSERT_EQ(runCli({"demo-store", m_drive, "--recordings", "4", "--max-seconds", "2"}).exitCode, 0);
    // The first scan renames the legacy recording, which changes the folder's listing order.
    ASSERT_EQ(runCli({"--store", m_drive, "list"}).exitCode, 0);
    const auto located = runCli({"list"}, m_env);
    const auto named = runCli({"--store", m_drive, "list"}, withoutPhone());
    EXPECT_EQ(located.exitCode, 0) << located.err;
    EXPECT_EQ(located.out, named.out);
    EXPECT_EQ(std::count(located.out.begin(), located.out.end(), '\n'), 4);

    const auto none = runCli({"list"}, withoutPhone());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "设备未准备好！\n");
}

TEST(WatchCli, PrintsEachNotificationWithTheLocatedRoot) {
    TempFolder folder;
    const std::string store = folder.path() + "store";
    CliProcess watch({"watch"}, {{"TAPELINK_STORE", store}});

    // The watcher is ready once its inotify descriptor holds a watch (fdinfo lists it); creating the folder
    // earlier would be missed. The descriptor alone comes before the watch, which a loaded machine shows.
    const std::string process = "/proc/" + std::to_string(watch.pid());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(process + "/fd", error)) {
            if (fs::read_symlink(entry.path(), error).string() != "anon_inode:inotify") continue;
            std::ifstream info(process + "/fdinfo/" + entry.path().filename().string());
            const std::string text((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
            ready = ready || text.find("inotify wd:") != std::string::npos;
        }
        if (!ready) std::this_thread::yield();
    }
    ASSERT_TRUE(ready);

    fs::create_directory(store);
    EXPECT_EQ(watch.readLine(), "arrival\t" + store + "/");
    fs::remove(store);
    EXPECT_EQ(watch.readLine(), "removal\t");

    watch.signal(SIGINT);
    std::string out;
    std::string err;
    EXPECT_EQ(watch.finish(out, err), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}
