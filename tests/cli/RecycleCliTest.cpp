#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "phone/PhoneStore.h"
#include "phone/RecycleMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

class RecycleCliTest : public ::testing::Test {
protected:
    // The index says 99 recordings; the catalogue scan before each command makes it the listed count.
    void SetUp() override { volume.writeIndex(VolumeBuilder::header(99, 65)); }

    CliRun cli(const std::string& arguments, const std::string& store = {}) const {
        const std::string out = output.path() + "out", err = output.path() + "err";
        const std::string command = std::string("'") + TAPELINK_CLI + "' --store '" +
                                    (store.empty() ? folder.path() : store) + "' " + arguments + " >'" + out + "' 2>'" +
                                    err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readText(out), readText(err)};
    }
    void recording(const std::string& path, char direction, const std::string& number, int size = 4532) const {
        VolumeBuilder::writeRecording(path, VolumeBuilder::info(direction, number, 11, 5, 18, 9, 7),
                                      static_cast<std::size_t>(size));
    }
    PhoneIndexHeader written() const {
        PhoneIndexHeader read;
        PhoneStore(folder.path()).readHeader(read);
        return read;
    }

    TempFolder folder;
    TempFolder output;
    VolumeBuilder volume{folder.path()};
};

TEST_F(RecycleCliTest, BinListPrintsTheBinsRowsAsTheWindowShowsThem) {
    recording(volume.recycle() + "VOX00001.WAV", 'Z', "13900001111");
    const CliRun text = cli("bin list");
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out, "1\tVOX00001.WAV\t\t\t\t2011-05-18 09:07\t2秒\t4K\n");
    EXPECT_EQ(text.err, "");

    fs::remove(volume.recycle() + "VOX00001.WAV");
    recording(volume.recycle() + "REC00004.WAV", 'Z', "0203");
    const CliRun json = cli("bin list --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "[\n  {\n    \"序号\": \"1\",\n    \"文件名\": \"VOC00004.WAV\",\n    \"录音类型\": \"留言录音\",\n"
              "    \"电话号码\": \"0203\",\n    \"主/被叫\": \"被叫\",\n    \"开始时间\": \"2011-05-18 09:07\",\n"
              "    \"录音时长\": \"2秒\",\n    \"文件长度\": \"4K\"\n  }\n]\n");
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOC00004.WAV"));
}

TEST_F(RecycleCliTest, BinRestoreNamesFromNextSerialAndWritesTheCounters) {
    recording(volume.voice() + "VOA00001.WAV", 'B', "1");
    recording(volume.voice() + "VOA00002.WAV", 'B', "2");
    recording(volume.recycle() + "VOI00007.WAV", 'Z', "3");

    const CliRun run = cli("bin restore --rows 1");

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "VOI00007.WAV\tVOI00065.WAV\n");
    EXPECT_EQ(run.err, std::string(kRestoreDone) + "\n");
    EXPECT_TRUE(fs::exists(volume.voice() + "VOI00065.WAV"));
    EXPECT_FALSE(fs::exists(volume.recycle() + "VOI00007.WAV"));
    // Two listed recordings plus the restored one, not the 99 the file said.
    EXPECT_EQ(written(), VolumeBuilder::header(3, 66));
}

TEST_F(RecycleCliTest, BinRestoreWithExhaustedSerialsFails) {
    volume.writeIndex(VolumeBuilder::header(0, 0xFFFF));
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"})
        recording(volume.recycle() + name, 'B', "");

    const CliRun run = cli("bin restore --rows 3,1,2,1");

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string serials = std::string(kSerialsExhausted) + "\n";
    EXPECT_EQ(run.err, serials + serials + serials + kRestoreDone + "\n");
    EXPECT_TRUE(fs::is_empty(volume.voice()));
}

TEST_F(RecycleCliTest, DeleteEveryRowRestartsTheSerials) {
    recording(volume.voice() + "VOA00010.WAV", 'B', "1");
    recording(volume.voice() + "VOC00011.WAV", 'B', "2");

    const CliRun run = cli("delete --rows 1,2");

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.size(), 26u);  // both names, one a line
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(volume.voice()));
    EXPECT_EQ(written(), VolumeBuilder::header(0, 1));
}

TEST_F(RecycleCliTest, RowsOutsideTheListAreAUsageErrorAndChangeNothing) {
    recording(volume.voice() + "VOA00010.WAV", 'B', "1");
    recording(volume.recycle() + "VOA00011.WAV", 'B', "1");
    const auto index = volume.indexBytes();

    for (const char* arguments : {"delete --rows 2", "delete --rows 0", "delete --rows 1,x", "bin restore --rows 2",
                                  "bin delete --rows 1,,1", "bin delete --rows ''"}) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
    }
    EXPECT_TRUE(fs::exists(volume.voice() + "VOA00010.WAV"));
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOA00011.WAV"));
    EXPECT_EQ(volume.indexBytes(), index);
}

TEST_F(RecycleCliTest, BinDeleteRemovesTheRowsFilesOnly) {
    recording(volume.recycle() + "VOA00011.WAV", 'B', "1");
    recording(volume.recycle() + "VOB00012.WAV", 'B', "1");
    const auto index = volume.indexBytes();
    const CliRun listed = cli("bin list");
    const std::string first = listed.out.substr(2, 12);

    const CliRun run = cli("bin delete --rows 1");

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, first + "\n");
    EXPECT_FALSE(fs::exists(volume.recycle() + first));
    EXPECT_EQ(std::distance(fs::directory_iterator(volume.recycle()), fs::directory_iterator()), 1);
    EXPECT_EQ(volume.indexBytes(), index);
}

TEST_F(RecycleCliTest, WithoutATelephoneEveryCommandSaysTheDeviceIsNotReady) {
    for (const char* arguments : {"delete --rows 1", "bin list", "bin restore --rows 1", "bin delete --rows 1"}) {
        const CliRun run = cli(arguments, folder.path() + "absent");
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.err, std::string(kDeviceNotReady) + "\n") << arguments;
    }
}
