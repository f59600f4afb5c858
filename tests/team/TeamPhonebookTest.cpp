#include <gtest/gtest.h>

#include <algorithm>

#include "contacts/ContactDirectory.h"
#include "platform/PgTeamPhonebook.h"
#include "platform/PgTeamSchema.h"
#include "platform/SqliteArchiveCatalogue.h"
#include "platform/SqliteCatalogueOpener.h"
#include "team/TeamPhonebookSync.h"
#include "tests/support/TempFolder.h"
#include "tests/team/TeamServer.h"

using namespace tapelink;
using namespace tapelink::test;

// Desks' own phonebooks (archive catalogues of their own) and the team's on the private server.
class TeamPhonebookTest : public ::testing::Test {
protected:
    struct Desk {
        TempFolder folder;
        std::shared_ptr<IArchiveCatalogue> catalogue =
            SqliteCatalogueOpener().open(folder.path(), CatalogueAccess::ReadWrite).catalogue;
        IPhonebook& phonebook() { return std::static_pointer_cast<SqliteArchiveCatalogue>(catalogue)->phonebook(); }
        std::vector<Contact> contacts() {
            std::vector<Contact> out;
            EXPECT_EQ(phonebook().contacts(out), CatalogueStatus::Ok);
            for (Contact& contact : out) contact.id = 0;
            return out;
        }
        void add(const std::vector<Contact>& contacts) {
            ContactImportCounts counts;
            ASSERT_EQ(phonebook().import(contacts, counts), CatalogueStatus::Ok);
        }
    };

    void SetUp() override {
        if (!server.available()) GTEST_SKIP() << "no PostgreSQL server: start one with scripts/pg-server.sh";
        std::string error;
        ASSERT_TRUE(server.makeTeam({"front", "sales"}, error)) << error;
    }
    PhonebookSyncReport sync(Desk& desk, const std::string& role) {
        PgTeamPhonebook team(server.settings(server.role(role)));
        return TeamPhonebookSync(desk.phonebook(), team).sync();
    }

    TeamServer server;
};

TEST_F(TeamPhonebookTest, ANameEnteredAtOneDeskReachesTheOtherMergedByTheImportRule) {
    Desk front;
    Desk sales;
    front.add({{0, "张三", {"13800000001"}, ""}, {0, "王五", {"13700000007"}, ""}});
    // The same name with another number and a company; and the number front gives 王五 under another name.
    sales.add({{0, "张三", {"139 0000 0002"}, "甲公司"}, {0, "王经理", {"13700000007"}, ""}});

    PhonebookSyncReport report = sync(front, "front");
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.toTeam, (ContactImportCounts{2, 0, 0}));
    report = sync(sales, "sales");
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.toTeam, (ContactImportCounts{1, 1, 0}));
    EXPECT_EQ(report.toDesk, (ContactImportCounts{0, 1, 1}));
    report = sync(front, "front");
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.toTeam, (ContactImportCounts{0, 0, 2}));  // nothing new: the server's rows stay as they are

    // One 张三 at each desk with both numbers, as an import merges; each desk keeps its own name for 137…07.
    EXPECT_EQ(front.contacts(), (std::vector<Contact>{{0, "张三", {"13800000001", "139 0000 0002"}, "甲公司"},
                                                      {0, "王五", {"13700000007"}, ""}}));
    EXPECT_EQ(sales.contacts(), (std::vector<Contact>{{0, "张三", {"139 0000 0002", "13800000001"}, "甲公司"},
                                                      {0, "王经理", {"13700000007"}, ""}}));
    const ContactDirectory names(front.contacts());
    EXPECT_EQ(names.nameFor("13900000002"), "张三");
    EXPECT_EQ(names.nameFor("13700000007"), "王五");
    // The server kept who changed 张三 last, whatever a client sends.
    EXPECT_EQ(server.psql("postgres", "SELECT edited_by FROM tapelink.phonebook WHERE name = '张三'"),
              server.role("sales") + "\n");
    EXPECT_EQ(
        server.psql(server.role("front"),
                    "UPDATE tapelink.phonebook SET edited_by = 'postgres' WHERE name = '王五' RETURNING edited_by"),
        server.role("front") + "\nUPDATE 1\n");
}

TEST_F(TeamPhonebookTest, APersonWhoMayOnlyHearReadsButIsRefusedAWrite) {
    std::string error;
    ASSERT_TRUE(server.grant("li", "front", "hear", error)) << error;
    Desk front;
    front.add({{0, "张三", {"13800000001"}, ""}});
    ASSERT_TRUE(sync(front, "front").ok());

    Desk reader;
    reader.add({{0, "李四", {"13600000006"}, ""}});
    PgTeamPhonebook team(server.settings(server.role("li")));
    ContactImportCounts counts;
    EXPECT_EQ(team.merge(reader.contacts(), counts), TeamStatus::Refused);
    // A sync only pulls for him.
    const PhonebookSyncReport report = sync(reader, "li");
    ASSERT_TRUE(report.ok());
    EXPECT_FALSE(report.sent);
    EXPECT_EQ(reader.contacts().size(), 2u);
    // Whatever client he uses.
    EXPECT_NE(
        server.psql(server.role("li"), "INSERT INTO tapelink.phonebook(name) VALUES ('x')").find("row-level security"),
        std::string::npos);
    EXPECT_EQ(server.psql(server.role("li"), "UPDATE tapelink.phonebook SET company = 'x'"), "UPDATE 0\n");
    EXPECT_EQ(server.psql("postgres", "SELECT string_agg(name || company, ',') FROM tapelink.phonebook"), "张三\n");
}

TEST_F(TeamPhonebookTest, WithoutTheServerTheDeskPhonebookStaysAsItWas) {
    Desk front;
    front.add({{0, "张三", {"13800000001"}, ""}});
    PgTeamPhonebook away("host=" + front.folder.path() + "nowhere dbname=x");
    const PhonebookSyncReport report = TeamPhonebookSync(front.phonebook(), away).sync();
    EXPECT_EQ(report.team, TeamStatus::ConnectionLost);
    EXPECT_EQ(front.contacts(), (std::vector<Contact>{{0, "张三", {"13800000001"}, ""}}));
}

TEST_F(TeamPhonebookTest, MigrationMergesEntriesOfOneName) {
    const TeamServer fresh;  // a database of its own, made up to the step before the phonebook's rules
    ASSERT_TRUE(fresh.available());
    PgConnection admin(fresh.settings());
    // Version 3 brought the phonebook's rules; later steps come after it.
    ASSERT_EQ(migrateTeamSchema(admin, 2), TeamStatus::Ok) << admin.lastError();
    ASSERT_TRUE(admin.exec("INSERT INTO phonebook(name, numbers) VALUES ('张三', '{1}'), ('张三', '{2}')").ok());
    ASSERT_EQ(migrateTeamSchema(admin), TeamStatus::Ok) << admin.lastError();
    EXPECT_EQ(
        fresh.psql("postgres",
                   "SELECT array_to_string(ARRAY(SELECT unnest(numbers) ORDER BY 1), ',') FROM tapelink.phonebook"),
        "1,2\n");
}
