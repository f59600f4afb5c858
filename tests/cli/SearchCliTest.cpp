#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;

class SearchCliTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(archive()); }
    std::string archive() const { return work.path() + "archive/"; }
    void recording(const std::string& name, char direction, const std::string& number, int year, int month, int day,
                   int hour, int minute) {
        VolumeBuilder::writeRecording(archive() + name,
                                      VolumeBuilder::info(direction, number, year, month, day, hour, minute));
    }
    CliResult run(std::vector<std::string> args) {
        args.insert(args.begin(), "search");
        return runCli(args);
    }

    TempFolder work;
};

TEST_F(SearchCliTest, PrintsTheNineColumnsInNameOrder) {
    recording("VOC00002.WAV", 'Z', "0138", 11, 5, 18, 9, 7);
    recording("REC00003.WAV", 'B', "5551380", 12, 1, 2, 23, 59);
    recording("VOA00001.WAV", 'Z', "021", 10, 3, 1, 0, 0);
    std::filesystem::create_directory(archive() + "sub");
    recording("sub/VOA00004.WAV", 'Z', "021", 10, 3, 1, 0, 0);

    const CliResult result = run({archive()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const std::string a = archive();
    EXPECT_EQ(result.out, "1\tREC00003.WAV\t\t5551380\t被叫\t2012-01-02 23:59\t2秒\t4K\t" + a + "REC00003.WAV\n" +
                              "2\tVOA00001.WAV\t通话录音\t021\t主叫\t2010-03-01 00:00\t2秒\t4K\t" + a +
                              "VOA00001.WAV\n" + "3\tVOC00002.WAV\t留言录音\t0138\t主叫\t2011-05-18 09:07\t2秒\t4K\t" +
                              a + "VOC00002.WAV\n");
}

TEST_F(SearchCliTest, CriteriaFromTheOptions) {
    recording("VOA00001.WAV", 'Z', "13800138000", 11, 5, 18, 9, 0);
    recording("VOA00002.WAV", 'B', "13800138000", 11, 5, 18, 9, 0);
    recording("VOC00003.WAV", 'Z', "13800138000", 11, 5, 18, 9, 0);
    recording("VOI00004.WAV", 'Z', "02100000000", 11, 5, 18, 9, 0);
    recording("VOI00005.WAV", 'Z', "13800138000", 11, 5, 19, 0, 0);
    recording("REC00006.WAV", 'B', "1", 11, 5, 18, 9, 0);

    CliResult result = run({archive(), "--from", "2011-05-17 12:00", "--to", "2011-05-18", "--side", "caller", "--kind",
                            "call", "--number", "0013"});
    EXPECT_EQ(result.exitCode, 0);
    ASSERT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
    EXPECT_EQ(result.out.substr(0, 15), "1\tVOA00001.WAV\t");

    result = run({archive(), "--kind", "message"});
    EXPECT_NE(result.out.find("REC00006.WAV"), std::string::npos);
    EXPECT_NE(result.out.find("VOC00003.WAV"), std::string::npos);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2);
}

TEST_F(SearchCliTest, JsonRowsAreKeyedByTheColumnTitles) {
    recording("VOB00001.WAV", 'B', "777", 11, 5, 18, 9, 7);
    const CliResult result = run({archive(), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = nlohmann::json::parse(result.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["序号"], "1");
    EXPECT_EQ(rows[0]["录音类型"], "本地录音");
    EXPECT_EQ(rows[0]["电话号码"], "777");
    EXPECT_EQ(rows[0]["主/被叫"], "被叫");
    EXPECT_EQ(rows[0]["开始时间"], "2011-05-18 09:07");
    EXPECT_EQ(rows[0]["路径"], archive() + "VOB00001.WAV");
    // The contact's name is always there, empty without a phonebook.
    EXPECT_EQ(rows[0]["姓名"], "");
    // Values to compute with follow the texts; without a catalogue no digest is known.
    const nlohmann::json fields = {
        {"file", "VOB00001.WAV"}, {"bytes", std::filesystem::file_size(archive() + "VOB00001.WAV")},
        {"seconds", 2},           {"start", "2011-05-18T09:07:00"},
        {"kind", "local"},        {"direction", "called"},
        {"sha256", nullptr}};
    for (const auto& [key, value] : fields.items()) EXPECT_EQ(rows[0][key], value) << key;
    EXPECT_EQ(rows[0].size(), 10u + fields.size());
    // The folder is named --archive as in every command; the argument stays.
    EXPECT_EQ(run({"--archive", archive(), "--json"}).out, result.out);
}

TEST_F(SearchCliTest, TheEndDefaultsToNow) {
    recording("VOA00001.WAV", 'B', "1", 98, 1, 1, 0, 0);
    CliResult result = run({archive()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    result = run({archive(), "--to", "2099-12-31"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("2098-01-01 00:00"), std::string::npos);
}

TEST_F(SearchCliTest, MessagesEndWithStatusOne) {
    recording("song.wav", 'B', "1", 11, 1, 1, 1, 1);
    CliResult result = run({archive()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "该查询路径下未找到任何与查询条件相匹配的语音文件！\n");
    EXPECT_EQ(result.out, "");

    result = run({archive() + "missing"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "该查询路径下未找到任何与查询条件相匹配的语音文件！\n");

    result = run({archive(), "--from", "2012-01-02 10:00", "--to", "2012-01-02 09:00"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "查询开始时间大于查询结束时间!\n");

    recording("VOA00001.WAV", 'B', "1", 11, 1, 1, 1, 1);
    result = run({archive(), "--number", "99"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "该查询路径下未找到任何与查询条件相匹配的语音文件！\n");
}

TEST_F(SearchCliTest, BadArgumentsAreUsageErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{archive(), "--from", "2011-02-29"},
                                               {archive(), "--to", "18.05.2011"},
                                               {archive(), "--from", "1999-12-31"},
                                               {archive(), "--side", "both"},
                                               {archive(), "--kind", "memo"},
                                               {archive(), "--number", "12345678901234567"},
                                               {}}) {
        const CliResult result = run(args);
        EXPECT_EQ(result.exitCode, 2) << (args.size() > 1 ? args[1] + " " + args[2] : "no folder");
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(SearchCliTest, ShareTakesTheSearchCriteriaAndLeavesNothingOnBadInput) {
    recording("VOC00002.WAV", 'Z', "0138", 11, 5, 18, 9, 7);
    recording("VOA00001.WAV", 'Z', "021", 10, 3, 1, 0, 0);
    const std::string out = work.path() + "out";
    CliResult result = runCli({"share", "--search", archive(), "--number", "0138", "--format", "wav", "--folder", out});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(out),
              (std::vector<std::string>{"2011-05-18_0907_0138_留言.wav", "录音清单.xlsx"}));
    EXPECT_EQ(VolumeBuilder::readBytes(out + "/2011-05-18_0907_0138_留言.wav"),
              VolumeBuilder::readBytes(archive() + "VOC00002.WAV"));

    // These recordings hold no audio libsndfile reads: MP3 is refused, naming the file, and no zip is left.
    result = runCli({"share", "--search", archive(), "--zip", work.path() + "share.zip"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("无法转换录音 " + archive()), std::string::npos) << result.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(work.path()), (std::vector<std::string>{"archive", "out"}));
}

// Statistics count from the catalogue what the search finds by reading the files: per month across a year's
// and months' ends, and per number.
TEST_F(SearchCliTest, StatsCountWhatTheSearchFinds) {
    recording("VOA00001.WAV", 'Z', "111", 24, 12, 31, 23, 59);
    recording("VOI00002.WAV", 'B', "222", 25, 1, 1, 0, 0);
    recording("VOC00003.WAV", 'Z', "222", 25, 1, 31, 23, 59);
    recording("VOB00004.WAV", 'Z', "", 25, 2, 28, 8, 0);
    recording("VOA00005.WAV", 'B', "111", 25, 2, 1, 0, 0);
    recording("VOA00006.WAV", 'Z', "333", 25, 4, 30, 12, 0);
    ASSERT_EQ(runCli({"archive", "rebuild", archive()}).exitCode, 0);
    const auto found = nlohmann::json::parse(run({archive(), "--json"}).out);
    std::map<std::string, std::array<int, 3>> perMonth;  // all, calls, voice messages
    std::map<std::string, int> perNumber;
    for (const auto& row : found) {
        auto& month = perMonth[row["开始时间"].get<std::string>().substr(0, 7)];
        ++month[0];
        month[1] += row["录音类型"] == "通话录音";
        month[2] += row["录音类型"] == "留言录音";
        if (row["录音类型"] != "本地录音") ++perNumber[row["电话号码"]];
    }

    std::array<int, 3> totals{};
    for (const auto& [month, counts] : perMonth) {
        for (std::size_t i = 0; i < totals.size(); ++i) totals[i] += counts[i];
    }

    const CliResult months = runCli({"stats", archive(), "--by", "month"});
    ASSERT_EQ(months.exitCode, 0) << months.err;
    const std::vector<std::string> lines = splitLines(months.out);
    ASSERT_EQ(lines.size(), 6u);  // 2024-12 to 2025-04, March without calls, and the totals
    for (const std::string& line : lines) {
        const std::vector<std::string> cells = splitCells(line);
        ASSERT_EQ(cells.size(), 8u);
        const std::array<int, 3> expected = cells[0] == "合计" ? totals : perMonth[cells[0]];
        EXPECT_EQ(cells[1], std::to_string(expected[0])) << line;
        EXPECT_EQ(cells[5], std::to_string(expected[1])) << line;
        EXPECT_EQ(cells[6], std::to_string(expected[2])) << line;
    }

    const CliResult numbers = runCli({"stats", archive(), "--by", "number", "--json"});
    ASSERT_EQ(numbers.exitCode, 0) << numbers.err;
    const auto rows = nlohmann::json::parse(numbers.out);
    ASSERT_EQ(rows.size(), perNumber.size());
    for (const auto& row : rows) EXPECT_EQ(row["合计次数"], perNumber[row["电话号码"]]) << row.dump();
    EXPECT_EQ(rows[0]["电话号码"], "111");  // two calls, most first
}
