#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/CliProcess.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

// The archive commands on a demo telephone, cut off and run side by side.
class ArchiveCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyDemoTelephone({"--recordings", "160", "--seed", "9", "--max-seconds", "90"}, phone());
        fs::create_directories(out());
        fs::create_directories(home());
        ASSERT_EQ(cli({"list"}).exitCode, 0);  // moves the legacy names once
        recordings = splitLines(cli({"list"}).out).size();
    }

    std::string phone() const { return folder.path() + "phone/"; }
    std::string out() const { return folder.path() + "out/"; }
    std::string home() const { return folder.path() + "home"; }
    std::vector<std::string> withStore(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return args;
    }
    CliResult cli(const std::vector<std::string>& args) const { return runCli(withStore(args), {{"HOME", home()}}); }

    // Waits until the archive holds at least one recording, then kills the command outright.
    void killOnceStarted(CliProcess& process) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (VolumeBuilder::sortedNames(out()).empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        process.signal(SIGKILL);
        std::string ignored;
        process.finish(ignored, ignored);
    }
    // After any fault: no partial file, and folder and catalogue agree.
    void expectConsistent() const {
        const CliResult verified = cli({"archive", "verify", out()});
        EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
        for (const std::string& name : VolumeBuilder::sortedNames(out())) EXPECT_NE(name[0], '.') << name;
    }

    TempFolder folder;
    std::size_t recordings = 0;
};

TEST_F(ArchiveCliTest, KilledUploadLeavesNothingPartialAndTheNextRunCopiesOnlyTheRest) {
    {
        CliProcess upload(withStore({"upload", "--new", "--to", out()}), {{"HOME", home()}});
        killOnceStarted(upload);
    }
    expectConsistent();
    const std::size_t before = VolumeBuilder::sortedNames(out()).size();
    const CliResult rest = cli({"upload", "--new", "--to", out()});
    EXPECT_EQ(rest.exitCode, 0) << rest.err;
    EXPECT_EQ(rest.out, "新存档 " + std::to_string(recordings - before) + " 个，此前已存档 " + std::to_string(before) +
                            " 个，失败 0 个\n");
    EXPECT_EQ(VolumeBuilder::sortedNames(out()).size(), recordings);  // no name with a clash suffix
    const CliResult listed = cli({"list", "--archived", "--to", out()});
    for (const std::string& line : splitLines(listed.out)) EXPECT_EQ(splitCells(line).back(), "已存档") << line;
}

TEST_F(ArchiveCliTest, TwoUploadsIntoOneArchiveBothFinishWithEverythingOnce) {
    CliProcess first(withStore({"upload", "--new", "--to", out()}), {{"HOME", home()}});
    CliProcess second(withStore({"upload", "--new", "--to", out()}), {{"HOME", home()}});
    std::string out1, err1, out2, err2;
    EXPECT_EQ(first.finish(out1, err1), 0) << err1;
    EXPECT_EQ(second.finish(out2, err2), 0) << err2;
    EXPECT_EQ(VolumeBuilder::sortedNames(out()).size(), recordings);
    expectConsistent();
}

TEST_F(ArchiveCliTest, KilledRebuildAndDamagedCatalogueEndInAnAgreeingCatalogue) {
    ASSERT_EQ(cli({"upload", "--all", "--to", out()}).exitCode, 0);
    {
        CliProcess rebuild({"archive", "rebuild", out()}, {{"HOME", home()}});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        rebuild.signal(SIGKILL);
        std::string ignored;
        rebuild.finish(ignored, ignored);
    }
    expectConsistent();

    VolumeBuilder::writeBytes(out() + ".tapelink/catalogue.sqlite", std::vector<std::uint8_t>(8192, 0x11));
    const CliResult listed = cli({"list", "--archived", "--to", out()});
    EXPECT_EQ(splitLines(listed.err).size(), 1u) << listed.err;
    EXPECT_NE(listed.err.find("存档索引已损坏"), std::string::npos);
    EXPECT_EQ(splitLines(listed.out).size(), recordings);
    EXPECT_EQ(cli({"list", "--archived", "--to", out()}).err, "");
    expectConsistent();
}

TEST_F(ArchiveCliTest, RebuildsKilledAtAnyMomentKeepThePhonebookAndNotesAndFewOldCatalogues) {
    ASSERT_EQ(cli({"upload", "--all", "--to", out()}).exitCode, 0);
    const std::string name = VolumeBuilder::sortedNames(out()).front();
    const CliEnvironment environment{{"HOME", home()}};
    ASSERT_EQ(runCli({"note", "--archive", out(), name, "回访"}, environment).exitCode, 0);
    ASSERT_EQ(runCli({"contacts", "--archive", out(), "add", "王伟", "13800000000"}, environment).exitCode, 0);
    for (const int delay : {2, 10, 25, 50, 100, 200, 400}) {
        CliProcess rebuild({"archive", "rebuild", out()}, environment);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        rebuild.signal(SIGKILL);
        std::string ignored;
        rebuild.finish(ignored, ignored);
        EXPECT_EQ(runCli({"note", "--archive", out(), name}, environment).out, "回访\n") << delay;
        EXPECT_NE(runCli({"contacts", "--archive", out(), "list"}, environment).out.find("王伟"), std::string::npos)
            << delay;
    }
    const CliResult rebuilt = cli({"archive", "rebuild", out()});
    EXPECT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
    expectConsistent();
    int old = 0;
    for (const auto& entry : fs::directory_iterator(out() + ".tapelink")) {
        old += entry.path().filename().string().starts_with("catalogue.sqlite.old-") ? 1 : 0;
    }
    EXPECT_EQ(old, 3);
}

TEST_F(ArchiveCliTest, ClearingDeletesOnlyVerifiedRecordingsAndUpdatesTheIndex) {
    ASSERT_EQ(cli({"upload", "--new", "--to", out()}).exitCode, 0);
    const std::vector<std::string> archived = VolumeBuilder::sortedNames(out());
    // One archived copy damaged behind the catalogue's back.
    auto bytes = VolumeBuilder::readBytes(out() + archived[0]);
    bytes[bytes.size() - 1] ^= 0xFF;
    VolumeBuilder::writeBytes(out() + archived[0], bytes);
    // Nothing old enough: nothing looked at, and the command says so.
    const CliResult young = cli({"delete", "--archived", "--older-than", "36500", "--to", out()});
    EXPECT_EQ(young.exitCode, 0) << young.err;
    EXPECT_EQ(young.out, "电话机上没有早于 36500 天的录音，无需删除。\n");
    const CliResult cleared = cli({"delete", "--archived", "--to", out()});
    EXPECT_EQ(cleared.exitCode, 0) << cleared.err;
    const std::vector<std::string> lines = splitLines(cleared.out);
    ASSERT_EQ(lines.size(), recordings + 1);  // the names deleted, the one kept, the counts
    EXPECT_EQ(lines[lines.size() - 2], "未删除 " + archived[0] + "：存档副本内容已改变");
    EXPECT_EQ(lines.back(), "已删除 " + std::to_string(recordings - 1) +
                                " 条录音，保留 1 条未能确认存档的录音（存档副本内容已改变 1 条）。");
    EXPECT_EQ(VolumeBuilder::sortedNames(phone() + "voice"), std::vector<std::string>{archived[0]});
    EXPECT_EQ(VolumeBuilder::headerOnDisk(phone()).recordingCount(), 1);
    const CliResult verified = cli({"archive", "verify", out()});
    EXPECT_EQ(verified.exitCode, 1);
    EXPECT_NE(verified.out.find("changed\t" + archived[0]), std::string::npos) << verified.out;

    // A broken index: told, and a failure.
    VolumeBuilder::writeBytes(phone() + "system/phone.bin", {'x'});
    const CliResult broken = cli({"delete", "--archived", "--to", out()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("system/phone.bin"), std::string::npos) << broken.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(phone() + "voice"), std::vector<std::string>{archived[0]});
}

TEST_F(ArchiveCliTest, AnArchiveOnTheTelephoneIsRefusedAndNothingIsWrittenThere) {
    const std::vector<std::string> before = VolumeBuilder::sortedNames(phone() + "voice");
    fs::create_directory_symlink(phone() + "voice", folder.path() + "link");
    for (const std::string& target : {phone() + "voice", folder.path() + "link", phone() + "new/sub", phone()}) {
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"delete", "--archived", "--to", target},
              {"upload", "--new", "--to", target},
              {"upload", "--all", "--to", target}}) {
            const CliResult refused = cli(command);
            EXPECT_EQ(refused.exitCode, 1) << target << ' ' << command[0];
            EXPECT_EQ(refused.out, "");
            EXPECT_NE(refused.err.find("上传路径“" + target + "”在电话机上"), std::string::npos) << refused.err;
        }
    }
    EXPECT_EQ(VolumeBuilder::sortedNames(phone() + "voice"), before);
    EXPECT_EQ(VolumeBuilder::headerOnDisk(phone()).recordingCount(), recordings);
    for (const auto& entry : fs::recursive_directory_iterator(phone())) {
        EXPECT_NE(entry.path().filename(), ".tapelink") << entry.path();
        EXPECT_NE(entry.path().filename(), "new") << entry.path();
    }
}
