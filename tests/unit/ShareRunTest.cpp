#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/LibraryShareTools.h"
#include "platform/SndfileMp3Encoder.h"
#include "platform/SndfileWavEncoder.h"
#include "sharing/ShareRun.h"
#include "tests/support/SyntheticSpeech.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestMount.h"
#include "tests/support/VolumeBuilder.h"

namespace tapelink {
namespace {

namespace fs = std::filesystem;

class Silent : public IShareObserver {
public:
    void onRecording(int, int, const std::string&) override {}
};

class ShareRunTest : public ::testing::Test {
protected:
    // A telephone recording of the given length, listed as the search lists added files.
    ShareItem recording(const std::string& name, double seconds, char side = 'Z', const std::string& contact = {}) {
        const std::string path = m_archive.path() + name;
        test::SyntheticSpeech speech;
        speech.tone(seconds / 2, 440).silence(seconds / 2);
        EXPECT_TRUE(SndfileWavEncoder().writeRecording(
            path, test::VolumeBuilder::info(side, "13800138000", 26, 3, 1, 9, 30), speech.audio().samples));
        std::optional<SearchResultRow> row = addedFileRow(path, 0);
        EXPECT_TRUE(row.has_value());
        row->name = contact;
        return {path, row.value_or(SearchResultRow{})};
    }

    ShareReport share(SharePlan plan, std::stop_token stop = {}) {
        const auto encoder = m_tools.encoder(plan.format);
        const auto writer = m_tools.writer(plan.target, plan.targetPath);
        Silent observer;
        return ShareRun(*encoder, *writer, [this](const std::string& path) { return m_tools.spreadsheet(path); })
            .run(plan, stop, observer);
    }

    static std::vector<std::string> entries(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolder m_archive;
    test::TempFolder m_out;
    LibraryShareTools m_tools;
};

TEST_F(ShareRunTest, ZipHoldsUtf8NamesAndTheIndex) {
    if (std::system("python3 -c 'import zipfile' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 1.5, 'Z', "张三"), recording("VOA00002.WAV", 2.0, 'B'),
                  recording("VOA00003.WAV", 1.0, 'Z', "张三")};
    plan.targetPath = m_out.path() + "分享.zip";
    const ShareReport report = share(plan);
    ASSERT_EQ(report.outcome, ShareOutcome::Written) << report.message;
    EXPECT_EQ(report.size, fs::file_size(plan.targetPath));

    // Each entry: its flag bits (0x800 is the UTF-8 flag) and name; then the index's share-name column.
    const std::string script =
        "import zipfile,sys,re\n"
        "z=zipfile.ZipFile(sys.argv[1])\n"
        "for i in z.infolist(): print(i.flag_bits & 0x800, i.filename)\n"
        "x=zipfile.ZipFile(z.open('录音清单.xlsx'))\n"
        "s=x.read('xl/sharedStrings.xml').decode()\n"
        "print('index:', ' '.join(re.findall(r'<t[^>]*>([^<]*mp3)</t>', s)))\n";
    const std::string scriptPath = m_out.path() + "check.py";
    std::ofstream(scriptPath) << script;
    FILE* pipe = ::popen(("python3 '" + scriptPath + "' '" + plan.targetPath + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(output,
              "2048 2026-03-01_0930_张三_主叫.mp3\n"
              "2048 2026-03-01_0930_13800138000_被叫.mp3\n"
              "2048 2026-03-01_0930_张三_主叫_2.mp3\n"
              "2048 录音清单.xlsx\n"
              "index: 2026-03-01_0930_张三_主叫.mp3 2026-03-01_0930_13800138000_被叫.mp3 "
              "2026-03-01_0930_张三_主叫_2.mp3\n");
}

TEST_F(ShareRunTest, EveryMp3DecodesToTheOriginalLengthWithinOneFrame) {
    SharePlan plan;
    const std::vector<double> lengths = {0.3, 1.0, 4.7, 31.3};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        plan.items.push_back(recording("VOA0000" + std::to_string(i) + ".WAV", lengths[i]));
    }
    plan.target = ShareTarget::Folder;
    plan.targetPath = m_out.path() + "分享";
    const ShareReport report = share(plan);
    ASSERT_EQ(report.outcome, ShareOutcome::Written) << report.message;
    ASSERT_EQ(report.names.size(), lengths.size());
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const auto original = SndfileMp3Encoder::decodedFrames(test::VolumeBuilder::readBytes(plan.items[i].path));
        const auto converted =
            SndfileMp3Encoder::decodedFrames(test::VolumeBuilder::readBytes(plan.targetPath + "/" + report.names[i]));
        ASSERT_GT(original, 0);
        EXPECT_LE(std::llabs(converted - original), SndfileMp3Encoder::kFrameSamples)
            << report.names[i] << ": " << converted << " frames for " << original;
    }
}

TEST_F(ShareRunTest, WavIsSentByteForByte) {
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 1.0)};
    plan.format = ShareFormat::Wav;
    plan.target = ShareTarget::Folder;
    plan.targetPath = m_out.path() + "原始";
    const ShareReport report = share(plan);
    ASSERT_EQ(report.outcome, ShareOutcome::Written) << report.message;
    EXPECT_EQ(test::VolumeBuilder::readBytes(plan.targetPath + "/" + report.names[0]),
              test::VolumeBuilder::readBytes(plan.items[0].path));
}

TEST_F(ShareRunTest, AnUndecodableRecordingLeavesNoPartialZip) {
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 1.0)};
    // A recording whose header reads but whose audio is no WAV at all.
    const std::string broken = m_archive.path() + "VOA00002.WAV";
    test::VolumeBuilder::writeRecording(broken, 'Z', "13800138000");
    plan.items.push_back({broken, addedFileRow(broken, 1).value()});
    plan.targetPath = m_out.path() + "分享.zip";
    const ShareReport report = share(plan);
    EXPECT_EQ(report.outcome, ShareOutcome::Failed);
    EXPECT_NE(report.message.find(broken), std::string::npos) << report.message;
    EXPECT_TRUE(entries(m_out.path()).empty());
}

TEST_F(ShareRunTest, ProtectedOrReadOnlyTargetsGetAClearMessageAndStayUntouched) {
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 1.0)};
    const std::vector<std::string> before = entries(m_archive.path());
    plan.targetPath = m_archive.path() + "sub/../分享.zip";
    ShareReport report = share(plan);
    EXPECT_EQ(report.outcome, ShareOutcome::Failed);
    EXPECT_NE(report.message.find("存档文件夹或电话"), std::string::npos) << report.message;
    EXPECT_EQ(entries(m_archive.path()), before);

    test::TestMount mount;
    if (!mount.mounted() || !mount.remountReadOnly()) GTEST_SKIP() << "no tmpfs mount here";
    for (ShareTarget target : {ShareTarget::Zip, ShareTarget::Folder}) {
        plan.target = target;
        plan.targetPath = mount.path() + "分享.zip";
        report = share(plan);
        EXPECT_EQ(report.outcome, ShareOutcome::Failed);
        EXPECT_NE(report.message.find("只读"), std::string::npos) << report.message;
        EXPECT_TRUE(entries(mount.path()).empty());
    }
}

TEST_F(ShareRunTest, AFullDiskGetsAClearMessageAndKeepsOnlyWhatWasThere) {
    test::TestMount mount;
    if (!mount.mounted()) GTEST_SKIP() << "no tmpfs mount here";
    // 64 KB free: a file of that size is written first, the disk filled, then the first file removed.
    const std::vector<std::uint8_t> chunk(64 * 1024, 0x5A);
    test::VolumeBuilder::writeBytes(mount.path() + "room", chunk);
    {
        std::ofstream fill(mount.path() + "fill", std::ios::binary);
        while (fill.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()))) {
        }
    }
    fs::remove(mount.path() + "room");
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 20.0), recording("VOA00002.WAV", 20.0), recording("VOA00003.WAV", 20.0)};
    plan.format = ShareFormat::Wav;
    for (ShareTarget target : {ShareTarget::Zip, ShareTarget::Folder}) {
        plan.target = target;
        plan.targetPath = mount.path() + "分享";
        const ShareReport report = share(plan);
        EXPECT_EQ(report.outcome, ShareOutcome::Failed);
        EXPECT_NE(report.message.find("磁盘空间不足"), std::string::npos) << report.message;
        EXPECT_EQ(entries(mount.path()), std::vector<std::string>{"fill"});
    }
}

TEST_F(ShareRunTest, AStoppedShareLeavesNothing) {
    SharePlan plan;
    plan.items = {recording("VOA00001.WAV", 1.0), recording("VOA00002.WAV", 1.0)};
    plan.target = ShareTarget::Folder;
    plan.targetPath = m_out.path();
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(share(plan, stop.get_token()).outcome, ShareOutcome::Stopped);
    EXPECT_TRUE(entries(m_out.path()).empty());
}

}  // namespace
}  // namespace tapelink
