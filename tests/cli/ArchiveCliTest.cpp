#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "tests/fault/SmallDisk.h"
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
    // Whether a killed rebuild got as far as keeping its old catalogue depends on the machine's speed; four
    // that finish keep four, of which only the newest three may stay.
    for (int finished = 0; finished < 4; ++finished) {
        const CliResult rebuilt = cli({"archive", "rebuild", out()});
        EXPECT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
    }
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

// The retention rule over an uploaded archive: what it spares, how it undoes, and how it survives a kill.
class RetentionCliTest : public ArchiveCliTest {
protected:
    std::string expiredFolder() const { return out() + ".tapelink/expired/"; }
    static std::string contentOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Names the rule would move now.
    std::vector<std::string> candidates() const {
        const CliResult preview = cli({"archive", "expire", out(), "--days", "1", "--dry-run", "--json"});
        EXPECT_EQ(preview.exitCode, 0) << preview.err;
        const nlohmann::json document = nlohmann::json::parse(preview.out);
        std::vector<std::string> names;
        for (const auto& row : document["recordings"]) names.push_back(row["name"].get<std::string>());
        return names;
    }
    std::vector<std::string> expiredNames() const {
        std::vector<std::string> names;
        for (const std::string& line : splitLines(cli({"archive", "expired", "list", out()}).out)) {
            names.push_back(splitCells(line).front());
        }
        return names;
    }
};

TEST_F(RetentionCliTest, NotedTaggedAndKeptRecordingsStayAndARestoreIsByteIdentical) {
    ASSERT_EQ(cli({"upload", "--all", "--to", out()}).exitCode, 0);
    const std::vector<std::string> before = candidates();
    ASSERT_GE(before.size(), 4u);
    const std::vector<std::string> spared = {before[0], before[1], before[2]};
    ASSERT_EQ(cli({"note", "--archive", out(), spared[0], "回电"}).exitCode, 0);
    ASSERT_EQ(cli({"tag", "--archive", out(), spared[1], "+客户"}).exitCode, 0);
    ASSERT_EQ(cli({"tag", "--archive", out(), spared[2], "+保留"}).exitCode, 0);
    const std::vector<std::string> chosen = candidates();
    EXPECT_EQ(chosen.size(), before.size() - 3);
    const std::string restoredName = chosen.front();
    const std::string original = contentOf(out() + restoredName);

    // Copied from the telephone: nothing moves until the preview is confirmed.
    const CliResult unconfirmed = cli({"archive", "expire", out(), "--days", "1"});
    EXPECT_EQ(unconfirmed.exitCode, 1);
    EXPECT_NE(unconfirmed.err.find("--yes"), std::string::npos) << unconfirmed.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(out()).size(), recordings);

    ASSERT_EQ(cli({"archive", "expire", out(), "--days", "1", "--yes"}).exitCode, 0);
    EXPECT_EQ(VolumeBuilder::sortedNames(out()).size(), recordings - chosen.size());
    for (const std::string& name : spared) EXPECT_TRUE(fs::exists(out() + name)) << name;
    EXPECT_EQ(expiredNames().size(), chosen.size());
    expectConsistent();
    // Expired copies never count as copies the telephone may rely on.
    std::size_t archived = 0;
    for (const std::string& line : splitLines(cli({"list", "--archived", "--to", out()}).out)) {
        archived += splitCells(line).back() == "已存档" ? 1 : 0;
    }
    EXPECT_EQ(archived, recordings - chosen.size());

    ASSERT_EQ(cli({"archive", "expired", "restore", "--archive", out(), restoredName}).exitCode, 0);
    EXPECT_EQ(contentOf(out() + restoredName), original);
    EXPECT_EQ(cli({"archive", "expired", "restore", "--archive", out(), restoredName}).exitCode, 1);
    ASSERT_EQ(cli({"archive", "expired", "purge", out()}).exitCode, 0);
    EXPECT_TRUE(expiredNames().empty());
    EXPECT_TRUE(VolumeBuilder::sortedNames(expiredFolder()).empty());
    expectConsistent();
}

TEST_F(RetentionCliTest, CompactedRecordingsExpireAsTheirCompactFileAndComeBack) {
    // A few recordings: compacting all 160 would take minutes.
    ASSERT_EQ(cli({"upload", "--rows", "1-3", "--to", out()}).exitCode, 0);
    ASSERT_EQ(cli({"archive", "compact", "--archive", out()}).exitCode, 0);
    const std::vector<std::string> chosen = candidates();
    ASSERT_FALSE(chosen.empty());
    const std::string name = chosen.front();
    const std::string compact = name.substr(0, name.rfind('.')) + ".opus";
    const std::string content = contentOf(out() + compact);
    ASSERT_FALSE(content.empty());

    const CliResult expired = cli({"archive", "expire", out(), "--days", "1", "--yes"});
    ASSERT_EQ(expired.exitCode, 0) << expired.err;
    EXPECT_FALSE(fs::exists(out() + compact));
    EXPECT_EQ(expiredNames().size(), chosen.size());
    expectConsistent();
    // A rebuild finds the compact file in expired/ and gives it back its recording's row.
    ASSERT_EQ(cli({"archive", "rebuild", out()}).exitCode, 0);
    EXPECT_EQ(expiredNames().size(), chosen.size());
    expectConsistent();
    ASSERT_EQ(cli({"archive", "expired", "restore", "--archive", out(), name}).exitCode, 0);
    EXPECT_EQ(contentOf(out() + compact), content);
    EXPECT_FALSE(fs::exists(out() + name));
    expectConsistent();
}

TEST_F(RetentionCliTest, ARebuildKeepsExpiredRecordingsExpiredAndFollowsNoLinkThere) {
    ASSERT_EQ(cli({"upload", "--rows", "1-8", "--to", out()}).exitCode, 0);
    ASSERT_EQ(cli({"archive", "expire", out(), "--days", "1", "--yes"}).exitCode, 0);
    std::vector<std::string> expired = expiredNames();
    ASSERT_GE(expired.size(), 2u);
    std::sort(expired.begin(), expired.end());
    const std::size_t live = VolumeBuilder::sortedNames(out()).size();
    const std::string content = contentOf(expiredFolder() + expired.front());
    // A link kept there by someone else is no expired recording, and what it points at is never read.
    fs::create_symlink(phone() + "voice/" + VolumeBuilder::sortedNames(phone() + "voice").front(),
                       expiredFolder() + "LINK0001.WAV");

    const auto checked = [this] {
        const CliResult verified = cli({"archive", "verify", out(), "--json"});
        EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
        return nlohmann::json::parse(verified.out)["checked"].get<std::size_t>();
    };
    for (const bool fromScratch : {false, true}) {
        if (fromScratch) fs::remove(out() + ".tapelink/catalogue.sqlite");
        const CliResult rebuilt = cli({"archive", "rebuild", out()});
        ASSERT_EQ(rebuilt.exitCode, 0) << fromScratch << rebuilt.err;
        std::vector<std::string> after = expiredNames();
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, expired) << fromScratch;
        EXPECT_EQ(checked(), live) << fromScratch;
    }
    ASSERT_EQ(cli({"archive", "expired", "restore", "--archive", out(), expired.front()}).exitCode, 0);
    EXPECT_EQ(contentOf(out() + expired.front()), content);
    ASSERT_EQ(cli({"archive", "expired", "purge", out()}).exitCode, 0);
    EXPECT_TRUE(expiredNames().empty());
    EXPECT_EQ(VolumeBuilder::sortedNames(expiredFolder()), std::vector<std::string>{"LINK0001.WAV"});
    EXPECT_TRUE(fs::is_symlink(expiredFolder() + "LINK0001.WAV"));
    EXPECT_EQ(checked(), live + 1);
}

TEST_F(RetentionCliTest, KilledAtAnyMomentLosesNothingAndVerifyStaysClean) {
    ASSERT_EQ(cli({"upload", "--all", "--to", out()}).exitCode, 0);
    std::map<std::string, std::string> contents;
    for (const std::string& name : VolumeBuilder::sortedNames(out())) contents[name] = contentOf(out() + name);
    std::mt19937 random(29);
    // The kills spread over twice the time the command takes to plan, so that some land while it moves
    // files, however slow the build (a sanitizer's) or the machine.
    const auto planningStarted = std::chrono::steady_clock::now();
    const std::size_t chosen = candidates().size();
    const auto planning =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - planningStarted);
    const auto killWithin = static_cast<unsigned>(std::max<std::int64_t>(120000, 2 * planning.count()));
    int runsThatMoved = 0;
    int cutShort = 0;
    for (int run = 0; run < 20; ++run) {
        {
            CliProcess expire({"archive", "expire", out(), "--days", "1", "--yes"}, {{"HOME", home()}});
            std::this_thread::sleep_for(std::chrono::microseconds(random() % killWithin));
            expire.signal(SIGKILL);
            std::string ignored;
            expire.finish(ignored, ignored);
        }
        expectConsistent();
        std::vector<std::string> expired = expiredNames();
        for (const auto& [name, content] : contents) {
            const bool inArchive = fs::exists(out() + name);
            EXPECT_EQ(contentOf((inArchive ? out() : expiredFolder()) + name), content) << run << ' ' << name;
        }
        if (expired.empty()) continue;
        ++runsThatMoved;
        cutShort += expired.size() < chosen ? 1 : 0;
        std::vector<std::string> restore = {"archive", "expired", "restore", "--archive", out()};
        restore.insert(restore.end(), expired.begin(), expired.end());
        ASSERT_EQ(cli(restore).exitCode, 0) << run;
    }
    EXPECT_EQ(VolumeBuilder::sortedNames(out()).size(), contents.size());
    EXPECT_GT(runsThatMoved, 0);  // the kills did not all land before anything moved
    std::cout << runsThatMoved << " of 20 killed runs had moved recordings, " << cutShort << " only some\n";
}

TEST(RetentionReadOnlyCliTest, AReadOnlyArchiveGivesAClearMessageAndMovesNothing) {
    SmallDisk disk(32 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    TempFolder folder;
    copyDemoTelephone({"--recordings", "3", "--seed", "9", "--max-seconds", "20"}, folder.path() + "phone/");
    const CliEnvironment home = {{"HOME", folder.path()}};
    ASSERT_EQ(runCli({"--store", folder.path() + "phone/", "upload", "--all", "--to", disk.path()}, home).exitCode, 0);
    const std::vector<std::string> names = VolumeBuilder::sortedNames(disk.path());
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";
    const CliResult expired = runCli({"archive", "expire", disk.path(), "--days", "1", "--yes"}, home);
    EXPECT_EQ(expired.exitCode, 1);
    EXPECT_NE(expired.err.find("只读"), std::string::npos) << expired.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(disk.path()), names);
}
