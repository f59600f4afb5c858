#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/Sha256.h"
#include "platform/PgTeamAdmin.h"
#include "platform/PgTeamArchive.h"
#include "platform/PgTeamSchema.h"
#include "statistics/CallStatisticsQuery.h"
#include "team/TeamArchiveCallFigures.h"
#include "tests/team/TeamServer.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

std::string digestOf(const std::string& bytes) {
    Sha256 digest;
    digest.update(bytes.data(), bytes.size());
    return digest.hexDigest();
}

// A small recording of a desk: its bytes say which one it is.
TeamRecording recordingOf(const std::string& desk, int index, std::string& audio) {
    audio = "RIFF" + desk + "#" + std::to_string(index) + std::string(64, static_cast<char>('a' + index % 26));
    TeamRecording r;
    r.desk = desk;
    r.phoneSerial = "SN1";
    r.name = "VOA" + std::to_string(10000 + index) + ".WAV";
    r.number = "1380013" + std::to_string(1000 + index % 9000);
    r.direction = 'Z';
    r.kind = "A";
    r.startKey = "2406" + std::to_string(10 + index % 18) + "0930";
    r.size = audio.size();
    r.sha256 = digestOf(audio);
    return r;
}

std::vector<std::string> desksOf(const std::vector<TeamRecording>& found) {
    std::vector<std::string> desks;
    for (const TeamRecording& r : found) desks.push_back(r.desk);
    std::sort(desks.begin(), desks.end());
    return desks;
}

TeamSearchCriteria everything() {
    TeamSearchCriteria criteria;
    criteria.criteria.from = kEarliestSearchDate;
    criteria.criteria.to = kLatestSearchDate;
    return criteria;
}

}  // namespace

class TeamArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) GTEST_SKIP() << "no PostgreSQL server: start one with scripts/pg-server.sh";
    }

    // The schema, and desks whose publishing roles are named after them.
    void makeTeam(const std::vector<std::string>& desks) {
        std::string error;
        ASSERT_TRUE(server.makeTeam(desks, error)) << error;
    }
    void grant(const std::string& person, const std::string& desk, const std::string& right) {
        std::string error;
        ASSERT_TRUE(server.grant(person, desk, right, error)) << error;
    }
    TeamRecording publishOne(const std::string& desk, int index) {
        PgTeamArchive publisher(server.settings(server.role(desk)));
        std::string audio;
        const TeamRecording r = recordingOf(desk, index, audio);
        EXPECT_EQ(publisher.publish(r, audio, {}), TeamStatus::Ok) << publisher.connection().lastError();
        return r;
    }

    TeamServer server;
};

TEST_F(TeamArchiveTest, EachPersonSeesHearsAndAnnotatesOnlyTheDesksGrantedToHim) {
    makeTeam({"front", "sales", "support"});
    grant("alice", "front", "hear");
    grant("alice", "front", "annotate");
    grant("alice", "sales", "hear");
    grant("bob", "support", "hear");
    grant("bob", "support", "delete");
    const TeamRecording front = publishOne("front", 1);
    const TeamRecording sales = publishOne("sales", 2);
    const TeamRecording support = publishOne("support", 3);

    PgTeamArchive alice(server.settings(server.role("alice")));
    PgTeamArchive bob(server.settings(server.role("bob")));
    std::vector<TeamRecording> found;
    ASSERT_EQ(alice.search(everything(), found), TeamStatus::Ok);
    EXPECT_EQ(desksOf(found), (std::vector<std::string>{"front", "sales"}));
    ASSERT_EQ(bob.search(everything(), found), TeamStatus::Ok);
    EXPECT_EQ(desksOf(found), std::vector<std::string>{"support"});

    std::string audio;
    EXPECT_EQ(alice.fetchAudio("sales", sales.sha256, audio), TeamStatus::Ok);
    EXPECT_EQ(digestOf(audio), sales.sha256);
    EXPECT_EQ(alice.fetchAudio("support", support.sha256, audio), TeamStatus::Refused);
    EXPECT_TRUE(audio.empty());

    // Annotating needs its own right; the server records who wrote last.
    EXPECT_EQ(alice.setNote("sales", sales.sha256, {"回电", {"客户"}}), TeamStatus::Refused);
    ASSERT_EQ(alice.setNote("front", front.sha256, {"回电", {"客户"}}), TeamStatus::Ok);
    TeamNote note;
    ASSERT_EQ(bob.noteOf("front", front.sha256, note), TeamStatus::Ok);
    EXPECT_TRUE(note.note.empty());
    PgTeamArchive frontDesk(server.settings(server.role("front")));
    ASSERT_EQ(frontDesk.noteOf("front", front.sha256, note), TeamStatus::Ok);
    EXPECT_EQ(note.note, (RecordingNote{"回电", {"客户"}}));
    EXPECT_EQ(note.editedBy, server.role("alice"));

    // Any client is held to the same rules.
    EXPECT_EQ(server.psql(server.role("alice"), "SELECT desk FROM tapelink.recordings ORDER BY desk"),
              "front\nsales\n");
    EXPECT_EQ(server.psql(server.role("bob"), "SELECT count(*) FROM tapelink.audio"), "1\n");
    EXPECT_EQ(server.psql(server.role("bob"), "DELETE FROM tapelink.recordings WHERE desk = 'front'"), "DELETE 0\n");
    EXPECT_NE(server.psql(server.role("alice"), "UPDATE tapelink.notes SET note = 'x' WHERE desk = 'sales'"),
              "UPDATE 1\n");

    // A delete the rules refuse is told as refused and leaves the recording.
    EXPECT_EQ(alice.remove("front", front.sha256), TeamStatus::Refused);
    ASSERT_EQ(frontDesk.fetchAudio("front", front.sha256, audio), TeamStatus::Ok);
    EXPECT_EQ(bob.remove("support", support.sha256), TeamStatus::Ok);
    EXPECT_EQ(server.psql("postgres", "SELECT count(*) FROM tapelink.audio WHERE desk = 'support'"), "0\n");
}

// The server's search runs with rights of its own: it must still keep to the desks of the person connected.
TEST_F(TeamArchiveTest, SearchFunctionCalledDirectlyGivesNothingOfADeskNotGranted) {
    makeTeam({"front", "support"});
    grant("bob", "support", "hear");
    publishOne("front", 1);
    publishOne("support", 2);
    const std::string search = "SELECT desk FROM tapelink.search_recordings('0001010000', '9912312359', ";
    EXPECT_EQ(server.psql(server.role("bob"), search + "'front', '', '', '', '', '', 100)"), "");
    EXPECT_EQ(server.psql(server.role("bob"), search + "'', '', '', '', '', '', 100)"), "support\n");
    EXPECT_NE(server.psql(server.role("bob"), "SET ROLE tapelink_search"), "SET\n");
    // Whom row-level security does not hold sees every desk, as in his own queries.
    EXPECT_EQ(server.psql("postgres", search + "'', '', '', '', '', '', 100) ORDER BY desk"), "front\nsupport\n");
}

TEST_F(TeamArchiveTest, RecordingPublishedTwiceIsStoredOnceAndOnlyForTheDesksOwnRole) {
    makeTeam({"front", "sales"});
    const TeamRecording first = publishOne("front", 1);
    publishOne("front", 1);
    EXPECT_EQ(server.psql("postgres", "SELECT count(*) FROM tapelink.audio"), "1\n");
    // In one batch as well: the same content twice, beside one stored before.
    PgTeamArchive front(server.settings(server.role("front")));
    std::vector<TeamPublication> batch(3);
    batch[0].recording = recordingOf("front", 2, batch[0].audio);
    batch[1] = batch[0];
    batch[2].recording = recordingOf("front", 1, batch[2].audio);
    EXPECT_EQ(front.publishBatch(batch), TeamStatus::Ok) << front.connection().lastError();
    EXPECT_EQ(server.psql("postgres", "SELECT count(*) FROM tapelink.audio"), "2\n");
    PgTeamArchive sales(server.settings(server.role("sales")));
    std::string audio;
    const TeamRecording foreign = recordingOf("front", 3, audio);
    EXPECT_EQ(sales.publish(foreign, audio, {}), TeamStatus::Refused);
    // Which of these the server holds for the desk, asked at once; another desk's role hears none.
    std::set<std::string> held;
    ASSERT_EQ(front.held("front", {first.sha256, foreign.sha256, "\"x\\"}, held), TeamStatus::Ok);
    EXPECT_EQ(held, std::set<std::string>{first.sha256});
    ASSERT_EQ(sales.held("front", {first.sha256}, held), TeamStatus::Ok);
    EXPECT_TRUE(held.empty());
    std::set<std::string> confirmed;
    ASSERT_EQ(sales.confirmed("front", confirmed), TeamStatus::Ok);
    EXPECT_TRUE(confirmed.empty());
}

TEST_F(TeamArchiveTest, SchemaMigratesFromTheFirstVersionKeepingItsRows) {
    PgConnection admin(server.settings());
    ASSERT_EQ(migrateTeamSchema(admin, 1), TeamStatus::Ok) << admin.lastError();
    ASSERT_TRUE(admin.exec("INSERT INTO desks VALUES ('front', '" + server.role("front") + "')").ok());
    std::string audio;
    const TeamRecording old = recordingOf("front", 7, audio);
    ASSERT_TRUE(admin
                    .exec("INSERT INTO recordings(desk, phone_serial, name, number, direction, kind, start_key, "
                          "duration, size, sha256) VALUES ('front', '', $1, $2, 90, 'A', $3, 1, $4, $5)",
                          {{old.name}, {old.number}, {old.startKey}, {std::to_string(old.size)}, {old.sha256}})
                    .ok());
    ASSERT_TRUE(PgTeamAdmin(admin).addUser(server.role("front")) == TeamStatus::Ok);

    ASSERT_EQ(PgTeamAdmin(admin).init(), TeamStatus::Ok) << admin.lastError();
    int version = 0;
    ASSERT_EQ(teamSchemaVersion(admin, version), TeamStatus::Ok);
    EXPECT_EQ(version, kTeamSchemaVersion);
    PgTeamArchive front(server.settings(server.role("front")));
    std::set<std::string> confirmed;
    ASSERT_EQ(front.confirmed("front", confirmed), TeamStatus::Ok);
    EXPECT_EQ(confirmed, std::set<std::string>{old.sha256});
    // A second run finds nothing to do.
    EXPECT_EQ(PgTeamAdmin(admin).init(), TeamStatus::Ok);
}

// The README's other administrator: the database's owner, who may make roles but is no superuser.
TEST_F(TeamArchiveTest, SchemaIsMadeByTheDatabasesOwnerWhoIsNoSuperuser) {
    const std::string owner = server.role("owner");
    ASSERT_EQ(server.psql("postgres", "CREATE ROLE " + owner + " LOGIN CREATEROLE BYPASSRLS"), "CREATE ROLE\n");
    ASSERT_EQ(server.psql("postgres", "DO \\$\\$ BEGIN EXECUTE format('ALTER DATABASE %I OWNER TO " + owner +
                                          "', current_database()); END \\$\\$"),
              "DO\n");
    PgConnection admin(server.settings(owner));
    ASSERT_EQ(PgTeamAdmin(admin).init(), TeamStatus::Ok) << admin.lastError();
    EXPECT_EQ(server.psql("postgres", "SELECT pg_has_role('" + owner + "', 'tapelink_search', 'MEMBER')"), "f\n");
}

// Every desk publishes its share at once in batches, a part of it twice: each recording is there once, with its bytes.
TEST_F(TeamArchiveTest, FourDesksPublishingAtOnceStoreEveryRecordingOnce) {
    const char* wanted = std::getenv("TAPELINK_TEAM_RECORDINGS");
    const int total = wanted != nullptr ? std::atoi(wanted) : 5000;
    const std::vector<std::string> desks = {"d1", "d2", "d3", "d4"};
    makeTeam(desks);
    std::vector<std::thread> publishers;
    std::vector<int> failures(desks.size(), 0);
    for (std::size_t d = 0; d < desks.size(); ++d) {
        publishers.emplace_back([&, d] {
            PgTeamArchive publisher(server.settings(server.role(desks[d])));
            const int share = total / static_cast<int>(desks.size());
            std::vector<TeamPublication> batch;
            for (int i = 0; i < share + share / 10; ++i) {
                TeamPublication item;
                item.recording = recordingOf(desks[d], i % share, item.audio);
                batch.push_back(std::move(item));
                if (batch.size() < 100 && i + 1 < share + share / 10) continue;
                if (publisher.publishBatch(batch) != TeamStatus::Ok) ++failures[d];
                batch.clear();
            }
        });
    }
    for (std::thread& publisher : publishers) publisher.join();
    EXPECT_EQ(failures, std::vector<int>(desks.size(), 0));
    EXPECT_EQ(server.psql("postgres", "SELECT count(*) FROM tapelink.recordings"), std::to_string(total) + "\n");
    EXPECT_EQ(server.psql("postgres",
                          "SELECT count(*) FROM tapelink.audio a JOIN tapelink.recordings r USING (desk, sha256) "
                          "WHERE encode(sha256(a.bytes), 'hex') = r.sha256 AND length(a.bytes) = r.size"),
              std::to_string(total) + "\n");
}

TEST_F(TeamArchiveTest, SearchTakesTheArchiveSearchsCriteriaAndTheDesk) {
    makeTeam({"front", "sales"});
    grant("alice", "front", "hear");
    grant("alice", "sales", "hear");
    const TeamRecording first = publishOne("front", 1);
    publishOne("front", 2);
    const TeamRecording third = publishOne("sales", 3);
    PgTeamArchive frontDesk(server.settings(server.role("front")));
    ASSERT_EQ(frontDesk.setNote("front", first.sha256, {"Call back", {"VIP"}}), TeamStatus::Ok);
    PgTeamArchive alice(server.settings(server.role("alice")));
    const auto names = [&](const TeamSearchCriteria& criteria) {
        std::vector<TeamRecording> found;
        EXPECT_EQ(alice.search(criteria, found), TeamStatus::Ok);
        std::vector<std::string> names;
        for (const TeamRecording& r : found) names.push_back(r.name);
        return names;
    };
    TeamSearchCriteria criteria = everything();
    criteria.criteria.number = third.number.substr(4);
    EXPECT_EQ(names(criteria), std::vector<std::string>{third.name});
    criteria.criteria.number = "%";
    EXPECT_TRUE(names(criteria).empty());
    // A name finds the numbers the team's phonebook gives it.
    ASSERT_EQ(server.psql("postgres",
                          "INSERT INTO tapelink.phonebook(name, numbers) VALUES ('张三', '{" + third.number + "}')"),
              "INSERT 0 1\n");
    criteria.criteria.number = "张";
    EXPECT_EQ(names(criteria), std::vector<std::string>{third.name});
    criteria = everything();
    criteria.criteria.noteText = "call BACK";
    EXPECT_EQ(names(criteria), std::vector<std::string>{first.name});
    criteria.criteria.noteText = "vi";
    EXPECT_EQ(names(criteria), std::vector<std::string>{first.name});
    criteria = everything();
    criteria.desk = "sales";
    EXPECT_EQ(names(criteria), std::vector<std::string>{third.name});
    criteria = everything();
    criteria.criteria.side = SideChoice::Called;
    EXPECT_TRUE(names(criteria).empty());
}

TEST_F(TeamArchiveTest, StatisticsCountOnlyTheDesksThePersonMayHear) {
    makeTeam({"front", "sales"});
    grant("alice", "front", "hear");
    struct Call {
        std::string desk, kind;
        char direction;
        std::string startKey, number;
    };
    // Front: two calls out on the last evening of January to one number, a voice message on the first
    // of February; sales: one call in, which alice may not hear.
    const std::vector<Call> calls{{"front", "A", 'Z', "2701312330", "13800138000"},
                                  {"front", "A", 'Z', "2701312359", "13800138000"},
                                  {"front", "C", 'B', "2702010001", "02166667777"},
                                  {"sales", "A", 'B', "2701151000", "13900139000"}};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        PgTeamArchive desk(server.settings(server.role(calls[i].desk)));
        std::string audio;
        TeamRecording r = recordingOf(calls[i].desk, static_cast<int>(i), audio);
        r.kind = calls[i].kind;
        r.direction = calls[i].direction;
        r.startKey = calls[i].startKey;
        r.number = calls[i].number;
        r.durationSeconds = 60;
        ASSERT_EQ(desk.publish(r, audio, {}), TeamStatus::Ok) << desk.connection().lastError();
    }
    TeamArchiveCallFigures alice([this]() -> std::unique_ptr<ITeamArchive> {
        return std::make_unique<PgTeamArchive>(server.settings(server.role("alice")));
    });
    StatisticsRequest request;
    request.from = {2027, 1, 1, 0, 0, 0};
    request.to = {2027, 2, 28, 0, 0, 0};
    request.grouping = StatisticsGrouping::Month;
    CallStatistics figures;
    ASSERT_EQ(readTeamCallStatistics(alice, {}, nullptr, request, figures), CatalogueStatus::Ok);
    ASSERT_EQ(figures.periods.size(), 2U);
    EXPECT_EQ(figures.periods[0].label, "2027-01");
    EXPECT_EQ(figures.periods[0].outgoing(), 2);
    EXPECT_EQ(figures.periods[1].countOf(CallClass::Message), 1);
    EXPECT_EQ(figures.totals.count(), 3);
    EXPECT_EQ(figures.totals.totalSeconds(), 180);
    ASSERT_EQ(figures.numbers.size(), 2U);
    EXPECT_EQ(figures.numbers[0].number, "13800138000");
    EXPECT_EQ(figures.numbers[0].outgoingCount, 2);

    // Naming a desk not granted finds nothing, as any client would; an unreachable server says so.
    ASSERT_EQ(readTeamCallStatistics(alice, "sales", nullptr, request, figures), CatalogueStatus::Ok);
    EXPECT_EQ(figures.totals.count(), 0);
    TeamArchiveCallFigures unreachable([] { return std::unique_ptr<ITeamArchive>(); });
    EXPECT_EQ(readTeamCallStatistics(unreachable, {}, nullptr, request, figures), CatalogueStatus::ConnectionLost);
}
