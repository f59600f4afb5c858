#include <gtest/gtest.h>

#include <filesystem>

#include "phone/RecycleMessages.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

}  // namespace

class RecycleCliTest : public ::testing::Test {
protected:
    // The index says 99 recordings; the catalogue scan before each command makes it the listed count.
    void SetUp() override { volume.writeIndex(VolumeBuilder::header(99, 65)); }

    CliResult cli(std::vector<std::string> args, const std::string& store = {}) const {
        args.insert(args.begin(), {"--store", store.empty() ? folder.path() : store});
        return runCli(args);
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path()};
};

TEST_F(RecycleCliTest, BinListPrintsTheBinsRowsAsTheWindowShowsThem) {
    VolumeBuilder::writeRecording(volume.recycle() + "VOX00001.WAV", 'Z', "13900001111");
    const CliResult text = cli({"bin", "list"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, "1\tVOX00001.WAV\t\t\t\t2011-05-18 09:07\t2秒\t4K\n");
    EXPECT_EQ(text.err, "");

    fs::remove(volume.recycle() + "VOX00001.WAV");
    VolumeBuilder::writeRecording(volume.recycle() + "REC00004.WAV", 'Z', "0203");
    const CliResult json = cli({"bin", "list", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out,
              "[\n  {\n    \"序号\": \"1\",\n    \"文件名\": \"VOC00004.WAV\",\n    \"录音类型\": \"留言录音\",\n"
              "    \"电话号码\": \"0203\",\n    \"主/被叫\": \"被叫\",\n    \"开始时间\": \"2011-05-18 09:07\",\n"
              "    \"录音时长\": \"2秒\",\n    \"文件长度\": \"4K\",\n    \"file\": \"VOC00004.WAV\",\n"
              "    \"bytes\": 4532,\n    \"seconds\": 2,\n    \"start\": \"2011-05-18T09:07:00\",\n"
              "    \"kind\": \"message\",\n    \"direction\": \"called\"\n  }\n]\n");
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOC00004.WAV"));
}

TEST_F(RecycleCliTest, BinRestoreNamesFromNextSerialAndWritesTheCounters) {
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.voice() + "VOA00002.WAV", 'B', "2");
    VolumeBuilder::writeRecording(volume.recycle() + "VOI00007.WAV", 'Z', "3");

    const CliResult run = cli({"bin", "restore", "--rows", "1"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "VOI00007.WAV\tVOI00065.WAV\n");
    EXPECT_EQ(run.err, std::string(kRestoreDone) + "\n");
    EXPECT_TRUE(fs::exists(volume.voice() + "VOI00065.WAV"));
    EXPECT_FALSE(fs::exists(volume.recycle() + "VOI00007.WAV"));
    // Two listed recordings plus the restored one, not the 99 the file said.
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(3, 66));
}

TEST_F(RecycleCliTest, BinRestoreWithExhaustedSerialsFails) {
    volume.writeIndex(VolumeBuilder::header(0, 0xFFFF));
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"})
        VolumeBuilder::writeRecording(volume.recycle() + name, 'B', "");

    const CliResult run = cli({"bin", "restore", "--rows", "3,1,2,1"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    const std::string serials = std::string(kSerialsExhausted) + "\n";
    EXPECT_EQ(run.err, serials + serials + serials + kRestoreDone + "\n");
    EXPECT_TRUE(fs::is_empty(volume.voice()));
}

TEST_F(RecycleCliTest, DeleteEveryRowRestartsTheSerials) {
    VolumeBuilder::writeRecording(volume.voice() + "VOA00010.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.voice() + "VOC00011.WAV", 'B', "2");

    const CliResult run = cli({"delete", "--rows", "1,2"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.size(), 26u);  // both names, one a line
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(volume.voice()));
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(0, 1));
}

TEST_F(RecycleCliTest, RowsOutsideTheListAreAUsageErrorAndChangeNothing) {
    VolumeBuilder::writeRecording(volume.voice() + "VOA00010.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.recycle() + "VOA00011.WAV", 'B', "1");
    const auto index = volume.indexBytes();

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"delete", "--rows", "2"},
                                               {"delete", "--rows", "0"},
                                               {"delete", "--rows", "1,x"},
                                               {"bin", "restore", "--rows", "2"},
                                               {"bin", "delete", "--rows", "1,,1"},
                                               {"bin", "delete", "--rows", ""}}) {
        const CliResult run = cli(args);
        EXPECT_EQ(run.exitCode, 2) << joined(args);
        EXPECT_EQ(run.out, "") << joined(args);
    }
    EXPECT_TRUE(fs::exists(volume.voice() + "VOA00010.WAV"));
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOA00011.WAV"));
    EXPECT_EQ(volume.indexBytes(), index);
}

TEST_F(RecycleCliTest, BinDeleteRemovesTheRowsFilesOnly) {
    VolumeBuilder::writeRecording(volume.recycle() + "VOA00011.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.recycle() + "VOB00012.WAV", 'B', "1");
    const auto index = volume.indexBytes();
    const CliResult listed = cli({"bin", "list"});
    const std::string first = listed.out.substr(2, 12);

    const CliResult run = cli({"bin", "delete", "--rows", "1"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, first + "\n");
    EXPECT_FALSE(fs::exists(volume.recycle() + first));
    EXPECT_EQ(std::distance(fs::directory_iterator(volume.recycle()), fs::directory_iterator()), 1);
    EXPECT_EQ(volume.indexBytes(), index);
}

TEST_F(RecycleCliTest, WithoutATelephoneEveryCommandSaysTheDeviceIsNotReady) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"delete", "--rows", "1"},
                                               {"bin", "list"},
                                               {"bin", "restore", "--rows", "1"},
                                               {"bin", "delete", "--rows", "1"}}) {
        const CliResult run = cli(args, folder.path() + "absent");
        EXPECT_EQ(run.exitCode, 1) << joined(args);
        EXPECT_EQ(run.err, std::string(kDeviceNotReady) + "\n") << joined(args);
    }
}
