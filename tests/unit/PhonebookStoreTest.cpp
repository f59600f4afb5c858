#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>

#include "archive/ArchiveLayout.h"
#include "platform/SqliteArchiveCatalogue.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

class PhonebookStoreTest : public ::testing::Test {
protected:
    std::shared_ptr<SqliteArchiveCatalogue> open(CatalogueAccess access = CatalogueAccess::ReadWrite) {
        return std::static_pointer_cast<SqliteArchiveCatalogue>(
            SqliteCatalogueOpener().open(folder.path(), access).catalogue);
    }
    static std::vector<Contact> stored(SqliteArchiveCatalogue& catalogue) {
        std::vector<Contact> contacts;
        EXPECT_EQ(catalogue.phonebook().contacts(contacts), CatalogueStatus::Ok);
        for (Contact& contact : contacts) contact.id = 0;
        return contacts;
    }
    TempFolder folder;
};

TEST_F(PhonebookStoreTest, ReimportUpdatesByNameAndNeverDuplicates) {
    auto catalogue = open();
    ASSERT_TRUE(catalogue);
    IPhonebook& phonebook = catalogue->phonebook();
    const std::vector<Contact> file = {{0, "张伟", {"138 1234 5678"}, ""},
                                       {0, "李娜", {"010-6552-1234"}, "甲公司"},
                                       {0, "张伟", {"+86 138-1234-5678", "0755 8888 6666"}, ""}};
    ContactImportCounts counts;
    ASSERT_EQ(phonebook.import(file, counts), CatalogueStatus::Ok);
    EXPECT_EQ(counts, (ContactImportCounts{2, 0, 0}));
    ASSERT_EQ(phonebook.import(file, counts), CatalogueStatus::Ok);
    EXPECT_EQ(counts, (ContactImportCounts{0, 0, 2}));

    // A number typed in by hand survives a re-import of an older file; a new company replaces the old.
    std::vector<Contact> contacts;
    ASSERT_EQ(phonebook.contacts(contacts), CatalogueStatus::Ok);
    Contact li = contacts[0].name == "李娜" ? contacts[0] : contacts[1];
    li.numbers.push_back("13900001111");
    ASSERT_EQ(phonebook.save(li), CatalogueStatus::Ok);
    ASSERT_EQ(phonebook.import({{0, "李娜", {"01065521234"}, "乙公司"}, {0, "王芳", {"95588"}, ""}}, counts),
              CatalogueStatus::Ok);
    EXPECT_EQ(counts, (ContactImportCounts{1, 1, 0}));

    catalogue.reset();
    auto reading = open(CatalogueAccess::ReadOnly);
    ASSERT_TRUE(reading);
    EXPECT_EQ(stored(*reading), (std::vector<Contact>{{0, "张伟", {"138 1234 5678", "0755 8888 6666"}, ""},
                                                      {0, "李娜", {"010-6552-1234", "13900001111"}, "乙公司"},
                                                      {0, "王芳", {"95588"}, ""}}));
}

TEST_F(PhonebookStoreTest, SaveReplacesNumbersAndRemoveTakesThemAlong) {
    auto catalogue = open();
    ASSERT_TRUE(catalogue);
    IPhonebook& phonebook = catalogue->phonebook();
    Contact contact{0, "客服", {"10086", "10010"}, ""};
    ASSERT_EQ(phonebook.save(contact), CatalogueStatus::Ok);
    ASSERT_NE(contact.id, 0);
    contact.numbers = {"10000"};
    ASSERT_EQ(phonebook.save(contact), CatalogueStatus::Ok);
    EXPECT_EQ(stored(*catalogue), (std::vector<Contact>{{0, "客服", {"10000"}, ""}}));
    ASSERT_EQ(phonebook.remove(contact.id), CatalogueStatus::Ok);
    EXPECT_TRUE(stored(*catalogue).empty());
    // Saving a contact removed meanwhile fails instead of bringing it back.
    EXPECT_EQ(phonebook.save(contact), CatalogueStatus::Failed);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((catalogueFolderOf(folder.path()) + kCatalogueFileName).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM contact_numbers", -1, &count, nullptr);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0);
    sqlite3_finalize(count);
    sqlite3_close(db);
}

TEST_F(PhonebookStoreTest, ReadOnlyOpeningsReadAndRefuseWritesEvenFromAnOlderCatalogue) {
    {
        auto catalogue = open();
        ASSERT_TRUE(catalogue);
        Contact contact{0, "张伟", {"13812345678"}, ""};
        ASSERT_EQ(catalogue->phonebook().save(contact), CatalogueStatus::Ok);
    }
    ContactImportCounts counts;
    Contact another{0, "李娜", {"10086"}, ""};
    {
        auto reading = open(CatalogueAccess::ReadOnly);
        ASSERT_TRUE(reading);
        EXPECT_EQ(stored(*reading).size(), 1u);
        EXPECT_EQ(reading->phonebook().save(another), CatalogueStatus::ReadOnly);
        EXPECT_EQ(reading->phonebook().import({another}, counts), CatalogueStatus::ReadOnly);
        EXPECT_EQ(reading->phonebook().remove(1), CatalogueStatus::ReadOnly);
    }
    // The catalogue as the version before the phonebook left it.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((catalogueFolderOf(folder.path()) + kCatalogueFileName).c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP TABLE phone_origins; DROP TABLE recording_tags; DROP TABLE recording_notes; "
                           "DROP TABLE contact_numbers; DROP TABLE contacts; DROP TABLE team_confirmed; "
                           "ALTER TABLE recordings DROP COLUMN compact_name; "
                           "ALTER TABLE recordings DROP COLUMN compact_sha256; PRAGMA user_version = 1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    auto older = open(CatalogueAccess::ReadOnly);
    ASSERT_TRUE(older);
    EXPECT_TRUE(stored(*older).empty());
    EXPECT_EQ(older->phonebook().import({another}, counts), CatalogueStatus::ReadOnly);
    older.reset();
    // Opened for writing, it gains the phonebook.
    auto migrated = open();
    ASSERT_TRUE(migrated);
    EXPECT_EQ(migrated->phonebook().save(another), CatalogueStatus::Ok);
    EXPECT_EQ(stored(*migrated).size(), 1u);
    // Every later step ran too: the team server's confirmations are kept.
    std::set<std::string> confirmed;
    EXPECT_EQ(migrated->published().markConfirmed("front", "ab"), CatalogueStatus::Ok);
    EXPECT_EQ(migrated->published().confirmedDigests("front", confirmed), CatalogueStatus::Ok);
    EXPECT_EQ(confirmed, std::set<std::string>{"ab"});
}
