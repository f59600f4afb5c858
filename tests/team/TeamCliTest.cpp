#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/support/CliProcess.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/team/TeamServer.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

// A desk of a team, end to end: the real tapelink-cli uploading from a demo telephone and publishing.
class TeamCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) GTEST_SKIP() << "no PostgreSQL server: start one with scripts/pg-server.sh";
        fs::create_directories(home());
        fs::create_directories(out());
        ASSERT_EQ(cli({"team", "--server", server.settings(), "init"}).exitCode, 0);
        ASSERT_EQ(cli({"team", "--server", server.settings(), "desk", "add", "front", "--publisher", desk()}).exitCode,
                  0);
        ASSERT_EQ(cli({"team", "join", server.settings(desk()), "front"}).exitCode, 0);
    }

    std::string phone() const { return folder.path() + "phone/"; }
    std::string out() const { return folder.path() + "out/"; }
    std::string home() const { return folder.path() + "home"; }
    std::string desk() const { return server.role("front"); }
    std::vector<std::string> withOptions(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return args;
    }
    CliResult cli(const std::vector<std::string>& args) const { return runCli(withOptions(args), {{"HOME", home()}}); }
    // Recordings on the server whose bytes hash to their recorded digest, and all of them.
    std::string intact() const {
        return server.psql("postgres",
                           "SELECT count(*) FROM tapelink.audio a JOIN tapelink.recordings r USING (desk, sha256) "
                           "WHERE encode(sha256(a.bytes), 'hex') = r.sha256");
    }
    long onPhone() const {
        return std::count_if(fs::directory_iterator(phone() + "voice"), fs::directory_iterator(),
                             [](const fs::directory_entry& entry) { return entry.path().extension() == ".WAV"; });
    }
    std::string held() const { return server.psql("postgres", "SELECT count(*) FROM tapelink.recordings"); }

    TempFolder folder;
    TeamServer server;
};

TEST_F(TeamCliTest, UploadPublishesAndAnOfflineDeskCatchesUpLater) {
    copyDemoTelephone({"--recordings", "12", "--seed", "3", "--max-seconds", "4"}, phone());
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(held(), "12\n");
    EXPECT_EQ(intact(), "12\n");

    ASSERT_TRUE(TeamServer::stopImmediately());
    copyDemoTelephone({"--recordings", "5", "--seed", "4", "--max-seconds", "4"}, phone() + "../phone2/");
    fs::remove_all(phone());
    fs::rename(folder.path() + "phone2", phone());
    run = cli({"upload", "--new", "--archive", out()});
    const bool restarted = TeamServer::start();
    ASSERT_TRUE(restarted);
    // The upload itself succeeds; what stays unpublished is said.
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("尚未发布 5 个"), std::string::npos) << run.err;
    run = cli({"team", "status", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("尚未发布 5 个"), std::string::npos) << run.out;

    run = cli({"team", "publish", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "已发布 5 个，尚未发布 0 个\n");
    EXPECT_EQ(held(), "17\n");
    // The server counts what this desk hears as its own catalogue counts it.
    run = cli({"stats", "--team", "--by", "number", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(nlohmann::json::parse(run.out).empty());
    EXPECT_EQ(run.out, cli({"stats", "--archive", out(), "--by", "number", "--json"}).out);
    EXPECT_EQ(intact(), "17\n");
}

TEST_F(TeamCliTest, ServerKilledMidPublishLosesNothingAndStoresNothingTwice) {
    copyDemoTelephone({"--recordings", "300", "--seed", "8", "--max-seconds", "20"}, phone());
    ASSERT_TRUE(TeamServer::stopImmediately());
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_TRUE(TeamServer::start());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    CliProcess publish(withOptions({"team", "publish", "--archive", out()}), {{"HOME", home()}});
    // Killed once the first recordings are in.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (held() == "0\n" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(TeamServer::stopImmediately());
    std::string out;
    std::string err;
    const int cutOff = publish.finish(out, err);
    ASSERT_TRUE(TeamServer::start());
    const int before = std::stoi(held());
    EXPECT_LT(before, 300) << "the publishing ended before the server was stopped";
    if (before < 300) EXPECT_EQ(cutOff, 1) << out << err;

    run = cli({"team", "publish", "--archive", this->out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(held(), "300\n");
    EXPECT_EQ(intact(), "300\n");
    run = cli({"team", "status", "--archive", this->out()});
    EXPECT_EQ(run.out, "尚未发布 0 个\n");
}

TEST_F(TeamCliTest, ClearingTheTelephoneWaitsForTheServerToHoldEachRecording) {
    copyDemoTelephone({"--recordings", "6", "--seed", "5", "--max-seconds", "4"}, phone());
    ASSERT_TRUE(TeamServer::stopImmediately());
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = cli({"delete", "--archived", "--archive", out()});
    ASSERT_TRUE(TeamServer::start());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(onPhone(), 6);

    run = cli({"delete", "--archived", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("已删除 0 条录音，保留 6 条"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("团队存档服务器尚未确认保存"), std::string::npos) << run.out;

    ASSERT_EQ(cli({"team", "publish", "--archive", out()}).exitCode, 0);
    run = cli({"delete", "--archived", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("已删除 6 条录音，保留 0 条"), std::string::npos) << run.out;
    EXPECT_EQ(onPhone(), 0);
}

TEST_F(TeamCliTest, TeamSearchNamesTheNumbersFromThisDesksPhonebook) {
    copyDemoTelephone({"--recordings", "3", "--seed", "5", "--max-seconds", "4"}, phone());
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = cli({"team", "--server", server.settings(desk()), "search", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json before = nlohmann::json::parse(run.out);
    ASSERT_EQ(before.size(), 3u);
    const std::string number = before[0]["号码"].get<std::string>();
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(before[0]["姓名"], "");

    ASSERT_EQ(cli({"contacts", "--archive", out(), "add", "王经理", number}).exitCode, 0);
    run = cli({"team", "--server", server.settings(desk()), "search", "--json", "--archive", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json after = nlohmann::json::parse(run.out);
    ASSERT_EQ(after.size(), 3u);
    for (const nlohmann::json& row : after) {
        EXPECT_EQ(row["姓名"], row["号码"] == number ? "王经理" : "") << row.dump();
    }
}

TEST_F(TeamCliTest, NotesEditedAfterPublishingAreSentOnTheNextPublishAndARefusalIsTold) {
    copyDemoTelephone({"--recordings", "2", "--seed", "6", "--max-seconds", "4"}, phone());
    ASSERT_TRUE(TeamServer::stopImmediately());
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_TRUE(TeamServer::start());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string file;
    for (const fs::directory_entry& entry : fs::directory_iterator(out())) {
        if (entry.path().extension() == ".WAV") file = entry.path().filename().string();
    }
    const auto notes = [this] {
        return server.psql("postgres", "SELECT note || ' ' || array_to_string(tags, ',') FROM tapelink.notes");
    };
    // A note made before its recording reached the server goes with it, once.
    ASSERT_EQ(cli({"note", "--archive", out(), file, "回电确认报价"}).exitCode, 0);
    run = cli({"team", "publish", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "已发布 2 个，尚未发布 0 个\n");
    EXPECT_EQ(notes(), "回电确认报价 \n");

    // Edited after: sent on the next publish, and not again while unchanged.
    ASSERT_EQ(cli({"tag", "--archive", out(), file, "+报价"}).exitCode, 0);
    EXPECT_EQ(cli({"team", "status", "--archive", out()}).out, "尚未发布 0 个\n备注尚未发送 1 条\n");
    run = cli({"team", "publish", "--archive", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "已发布 0 个，尚未发布 0 个，更新备注 1 条\n");
    EXPECT_EQ(notes(), "回电确认报价 报价\n");
    run = cli({"team", "publish", "--archive", out()});
    EXPECT_EQ(run.out, "已发布 0 个，尚未发布 0 个\n");

    // The desk now publishes as another role: this one may no longer annotate, and is told so every round.
    ASSERT_EQ(cli({"team", "--server", server.settings(), "desk", "add", "front", "--publisher", server.role("new")})
                  .exitCode,
              0);
    ASSERT_EQ(cli({"note", "--archive", out(), file, "已改"}).exitCode, 0);
    for (int round = 0; round < 2; ++round) {
        run = cli({"team", "publish", "--archive", out()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "已发布 0 个，尚未发布 0 个，备注被拒绝 1 条\n");
        EXPECT_NE(run.err.find("拒绝"), std::string::npos) << run.err;
    }
    EXPECT_EQ(notes(), "回电确认报价 报价\n");
}

TEST_F(TeamCliTest, PhonebookExchangeTellsAReaderHeMayNotWriteAndALostServerChangesNothing) {
    // An upload sends the desk's phonebook along.
    copyDemoTelephone({"--recordings", "1", "--seed", "5", "--max-seconds", "2"}, phone());
    ASSERT_EQ(cli({"contacts", "--archive", out(), "add", "张三", "13800000001"}).exitCode, 0);
    CliResult run = cli({"upload", "--all", "--to", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = cli({"team", "phonebook", "push", "--archive", out()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "团队电话簿：新增 0 个，更新 0 个，未变 1 个\n");

    std::string error;
    ASSERT_TRUE(server.grant("li", "front", "hear", error)) << error;
    ASSERT_EQ(cli({"contacts", "--archive", out(), "add", "李四", "13600000006"}).exitCode, 0);
    run = cli({"team", "--server", server.settings(server.role("li")), "phonebook", "push", "--archive", out()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("没有修改团队电话簿的权限"), std::string::npos) << run.err;
    run = cli({"team", "phonebook", "list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The reader's 李四 is not there; the last editor is the desk that wrote 张三.
    EXPECT_EQ(run.out.substr(0, run.out.rfind('\t') + 1), "张三\t13800000001\t\t" + desk() + "\t");

    const std::string before = cli({"contacts", "--archive", out(), "list"}).out;
    run = cli(
        {"team", "--server", "host=" + folder.path() + "nowhere dbname=x", "phonebook", "sync", "--archive", out()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("与存档的连接已断开，请重试。"), std::string::npos) << run.err;
    EXPECT_EQ(cli({"contacts", "--archive", out(), "list"}).out, before);
}
