#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "settings/InstanceLock.h"
#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"
#include "settings/TeamSettingsFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {
std::vector<std::uint8_t> recordBytes(std::uint8_t flag, const std::string& folder) {
    std::vector<std::uint8_t> bytes(SettingsRecord::kSize, 0);
    bytes[0] = flag;
    for (std::size_t i = 1; i < 34; ++i) bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
    std::copy(folder.begin(), folder.end(), bytes.begin() + 34);
    bytes[294] = 0xEE;
    return bytes;
}
}  // namespace

class SettingsStoreTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.path() + "config.ini";
    SettingsStore store;
};

TEST_F(SettingsStoreTest, MissingOrEmptyFileGivesZeroSettings) {
    EXPECT_FALSE(store.Load(path));
    EXPECT_EQ(store.GetRecord(), SettingsRecord{});
    VolumeBuilder::writeBytes(path, {});
    EXPECT_FALSE(store.Load(path));
    EXPECT_EQ(store.GetRecord().uploadFolder(), "");
}

TEST_F(SettingsStoreTest, AnythingButARegularFileGivesZeroSettingsWithoutWaiting) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [this] { return store.Load(path); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked open go, so the test fails instead of hanging.
        ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        FAIL() << "loading a FIFO waits for a writer";
    }
    EXPECT_FALSE(load.get());
    EXPECT_EQ(store.GetRecord(), SettingsRecord{});

    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/urandom", path);
    EXPECT_FALSE(store.Load(path));
    EXPECT_EQ(store.GetRecord(), SettingsRecord{});
}

TEST_F(SettingsStoreTest, ShortFileFillsTheStartOfTheRecord) {
    VolumeBuilder::writeBytes(path, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_TRUE(store.Load(path));
    const auto record = store.GetRecord();
    EXPECT_EQ(record.bytes[9], 10);
    EXPECT_EQ(record.bytes[10], 0);
    EXPECT_EQ(record.uploadFolder(), "");
}

TEST_F(SettingsStoreTest, UnconfiguredRecordStillProvidesItsFolder) {
    VolumeBuilder::writeBytes(path, recordBytes(0, "/home/a/录音"));
    EXPECT_FALSE(store.Load(path));
    EXPECT_EQ(store.GetRecord().uploadFolder(), "/home/a/录音");
}

TEST_F(SettingsStoreTest, LongerFileContributesItsFirst295Bytes) {
    auto bytes = recordBytes(1, "/srv/archive");
    bytes.resize(400, 0x77);
    VolumeBuilder::writeBytes(path, bytes);
    EXPECT_TRUE(store.Load(path));
    EXPECT_EQ(store.GetRecord().bytes[294], 0xEE);
}

TEST_F(SettingsStoreTest, SavingWritesExactly295BytesKeepingTheOpaqueBytes) {
    const auto original = recordBytes(1, "/old/folder/with/a/long/name");
    VolumeBuilder::writeBytes(path, original);
    store.Load(path);
    auto record = store.GetRecord();
    ASSERT_TRUE(record.setUploadFolder("/new"));
    store.SetRecord(record);
    ASSERT_TRUE(store.Save());

    const auto saved = VolumeBuilder::readBytes(path);
    ASSERT_EQ(saved.size(), 295u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 34, original.begin()));
    EXPECT_EQ(saved[294], original[294]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.data() + 34)), "/new");
    // The rest of the old, longer path is gone.
    EXPECT_TRUE(std::all_of(saved.begin() + 38, saved.begin() + 294, [](std::uint8_t b) { return b == 0; }));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(SettingsStoreTest, FolderThatDoesNotFitIsRefusedNotTruncated) {
    SettingsRecord record;
    ASSERT_TRUE(record.setUploadFolder("/kept"));
    EXPECT_FALSE(record.setUploadFolder(std::string(260, 'x')));
    EXPECT_EQ(record.uploadFolder(), "/kept");
    EXPECT_TRUE(record.setUploadFolder(std::string(259, 'y')));
}

TEST_F(SettingsStoreTest, PathTooLongForTheStoreIsNeitherLoadedNorSaved) {
    const std::string longPath = folder.path() + std::string(2100, 'p');
    EXPECT_FALSE(store.Load(longPath));
    EXPECT_FALSE(store.Save());
}

TEST_F(SettingsStoreTest, SaveFailsWhenTheProfileFolderIsMissing) {
    store.Load(folder.path() + "missing/config.ini");
    EXPECT_FALSE(store.Save());
}

TEST(ProfileFolder, LivesInTheHomeFolder) {
    TempFolder home;
    const char* saved = std::getenv("HOME");
    const std::string savedHome = saved ? saved : "";
    ::setenv("HOME", home.path().c_str(), 1);
    const std::string profile = profileFolderPath();
    EXPECT_EQ(profile, home.path() + "Tapelink");
    ensureProfileFolder(profile);
    EXPECT_TRUE(std::filesystem::is_directory(profile));
    EXPECT_EQ(settingsFilePath(profile), profile + "/config.ini");
    ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
    TempFolder runtime;
    auto first = std::make_unique<InstanceLock>(runtime.path());
    ASSERT_TRUE(first->tryAcquire());
    InstanceLock second(runtime.path());
    EXPECT_FALSE(second.tryAcquire());
    first.reset();
    EXPECT_TRUE(second.tryAcquire());
}

TEST(InstanceLock, TheSharedFolderIsUsedOnlyWhenItIsTheUsersOwn) {
    namespace fs = std::filesystem;
    TempFolder base;
    const std::string fallback = base.path() + "profile";
    const std::string made = base.path() + "made";
    EXPECT_EQ(InstanceLock::privateFolderOr(made, fallback), made);
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all);

    const std::string wide = base.path() + "wide";
    fs::create_directory(wide);
    fs::permissions(wide, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_EQ(InstanceLock::privateFolderOr(wide, fallback), fallback);

    const std::string link = base.path() + "link";
    fs::create_directory_symlink(made, link);
    EXPECT_EQ(InstanceLock::privateFolderOr(link, fallback), fallback);

    if (::geteuid() == 0) {
        const std::string others = base.path() + "others";
        fs::create_directory(others);
        fs::permissions(others, fs::perms::owner_all);
        ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
        EXPECT_EQ(InstanceLock::privateFolderOr(others, fallback), fallback);
    }
}

TEST(InstanceLock, ALinkInPlaceOfTheLockFileIsNotFollowed) {
    TempFolder runtime;
    const std::string outside = runtime.path() + "outside";
    std::filesystem::create_symlink(outside, runtime.path() + "TapelinkMutex.lock");
    InstanceLock lock(runtime.path());
    lock.tryAcquire();
    EXPECT_FALSE(std::filesystem::exists(outside));
}

TEST(TeamSettingsFileTest, KeepsWhatItWroteAndPassesOverWhatItDidNot) {
    const TeamSettings settings{"postgresql://front@server/office?sslmode=verify-full", "前台", false};
    EXPECT_EQ(parseTeamSettings(formatTeamSettings(settings)), settings);
    // A damaged value leaves the default; clearing waits for the server unless the file says otherwise.
    const TeamSettings damaged = parseTeamSettings("server=office\r\nclearing_needs_server=maybe\nnoise\n");
    EXPECT_EQ(damaged, (TeamSettings{"office", "", true}));
    EXPECT_FALSE(damaged.inTeam());
    // A value that would break into a second line is never written.
    const TempFolder folder;
    const std::string path = teamSettingsFilePath(folder.path());
    EXPECT_FALSE(saveTeamSettings(path, {"a\nserver=b", "d", true}));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(saveTeamSettings(path, settings));
    EXPECT_EQ(loadTeamSettings(path), settings);
}
